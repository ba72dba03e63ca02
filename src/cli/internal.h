#pragma once
// What veltrano-cli's command files share: the parsed command line, the
// headless console the page commands run in, and the common replies.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/main_dialog.h"
#include "app/settings_file.h"
#include "cli/commands.h"
#include "modbus/result_code.h"
#include "pages/device_page.h"
#include "ui/recording_host.h"

namespace veltrano::cli::internal {

struct PollOptions {
    bool everyGiven = false;
    double seconds = 1.0;  // the poller's own period
    bool countGiven = false;
    long long count = 1;
    bool csv = false;
    std::string csvPath;     // "" or "-": standard output
    bool overwrite = false;  // replace the file rather than append to it
};

struct Options {
    std::string port;
    bool portGiven = false;
    uint32_t baud = 9600;
    uint8_t address = 1;
    bool trace = false;
    std::vector<std::pair<int, std::string>> selects;  // --select ID=ITEM, in order
    // The command and its arguments as typed: "read 48", "page NAME set LABEL VALUE".
    std::vector<std::string> command;
    PollOptions poll;
    bool dryRun = false;
    bool force = false;  // save: replace the file even when some row failed
    // The settings file of diff and load, read once before any port is looked for.
    std::optional<app::Settings> settingsFile;
};

// Parses the command line. Returns -1 to go on; otherwise the exit status,
// with --help, --version or the usage error already printed.
int ParseArguments(const std::vector<std::string>& args, Options* options, FILE* out, FILE* err);

// "veltrano-cli: WHY" and the short usage, on err; kUsageError.
int Usage(FILE* err, const std::string& why);

// Every request the link writes is counted; with --trace it is printed too,
// and after a transaction that failed, why ("-- CRC mismatch").
void Observe(Link& link, bool trace, FILE* err, int* requests);
// Opens the port at the rate given and addresses the device given; a port
// that will not open is said on stderr, and the transactions then report 1.
void OpenAsGiven(Link& link, const Options& o, FILE* err);

// Message boxes of the console, recorded, and printed once the command
// knows whether it succeeded: stdout then, stderr otherwise.
class PrintingHost : public ui::RecordingHost {
public:
    void Print(FILE* to);

private:
    size_t printed_ = 0;
};

// The console's main window without a screen, on the one port given.
class Console {
public:
    Console(const Options& o, FILE* err);
    app::MainDialog& main() { return *main_; }
    Link& link() { return link_; }
    PrintingHost& host() { return host_; }
    // Requests written (or tried) so far.
    int requests() const { return requests_; }

private:
    Link link_;
    PrintingHost host_;
    int requests_ = 0;
    std::unique_ptr<app::MainDialog> main_;
};

// The usage error of a page command line ("" when it is well formed); the
// page is built (without a port) to know its rows.
std::string CheckPageArguments(const std::vector<std::string>& c);
// page NAME ...: the page shown in the console, lists selected, port open.
int PageCommand(const Options& o, FILE* out, FILE* err);
// Every value the page shows: rows read from the device (an Inquire, or no
// button at all, like a direction name); boxes only typed into are left out.
// `blank`: edits whose read failed just now, printed empty (a box may keep
// its old text on failure).
void PrintRows(const pages::DevicePage& page, FILE* out, const std::vector<int>& blank = {});

// page NAME poll [--every S] [--count N] [--csv [FILE]]
int PollCommand(Console& console, pages::DevicePage& page, const Options& o, FILE* out, FILE* err);
// page NAME save FILE | diff FILE | load FILE [--dry-run]
int SettingsCommand(Console& console, pages::DevicePage& page, const Options& o, FILE* out, FILE* err);
// What a settings command can check before any port is looked for: the
// file's form (diff, load) or a place to write it (save). -1 to go on.
int CheckSettingsFile(Options* o, FILE* err);

}  // namespace veltrano::cli::internal
