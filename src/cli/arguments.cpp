// veltrano-cli's command line, parsed with CLI11. The commands' arguments
// are checked by the commands themselves (cli/commands.cpp), in the words
// the command line has always used; CLI11 gives the structure, --help for
// every command and --version.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <map>

#include "app/main_ids.h"
#include "cli/internal.h"
#include "modbus/numbers.h"

namespace veltrano::cli::internal {
namespace {

constexpr const char* kUsage =
    "usage: veltrano-cli [--port PATH] [--baud N] [--address N] [--trace] COMMAND\n"
    "commands: read REG | read32 REG | readfloat REG | write REG VALUE | write32 REG VALUE\n"
    "          | writefloat REG VALUE | writepair REG V1 V2\n"
    "          | scan | inquire | set-address N | set-baud N\n"
    "          | page list | page NAME inquire | page NAME set LABEL [VALUE]\n"
    "          | page NAME poll [--every SECONDS] [--count N] [--csv [FILE] [--overwrite]]\n"
    "          | page NAME save FILE [--force] | page NAME diff FILE | page NAME load FILE [--dry-run]\n"
    "page options: --select ID=ITEM chooses the entry ITEM of list ID first (repeatable)\n"
    "without --port: the one USB adapter, if exactly one is plugged in\n"
    "more: veltrano-cli --help, veltrano-cli COMMAND --help\n";

constexpr const char* kExitText =
    "Exit status: the transaction's result (0 success, 1 port not open, 2 no reply or a wrong reply,\n"
    "3 CRC or echo mismatch); scan: 0 found, 2 nothing found, 1 port not opened; page NAME diff:\n"
    "4 when the device differs from the file; 64 usage error; 65 a value or file refused before\n"
    "anything was sent; 66 a file that cannot be read; 73 a file that cannot be written; 74 a write\n"
    "to a file that failed part way.";

std::string Version() {
    const std::string title = app::kAppTitle;  // "Veltrano V3.16"
    const size_t v = title.rfind('V');
    return v == std::string::npos || v == 0 ? title : title.substr(v + 1);
}

// Usage lines in each command's own shape ("read REG"): the arguments are
// left to the commands, so CLI11 cannot spell them.
class Formatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App* app, std::string name) const override {
        auto it = shapes.find(app);
        if (it == shapes.end()) return CLI::Formatter::make_usage(app, std::move(name));
        return "Usage: veltrano-cli " + it->second + "\n";
    }
    std::map<const CLI::App*, std::string> shapes;
};

// What CLI11 reads; checked and converted below.
struct Raw {
    std::string port, baud, address;
    bool trace = false;
    std::vector<std::string> selects;
    std::string pageName;
    std::string every, count, csvPath;
    std::string file;
    bool dryRun = false;
    bool force = false;
    bool overwrite = false;
};

// CLI11's own complaint about an option without its value, in our words.
std::string MissingValue(const std::string& what) {
    static const std::pair<const char*, const char*> kNeeds[] = {
        {"--port", "--port needs a PATH"},
        {"--baud", "--baud needs a rate in bits per second"},
        {"--address", "--address needs a number 0..255"},
        {"--select", "--select needs ID=ITEM: a list's control id and the text of one of its entries"},
        {"--every", "--every needs a number of seconds above 0, at most 86400"},
        {"--count", "--count needs a number of ticks, 1 or more"},
    };
    for (const auto& [name, needs] : kNeeds)
        if (what.rfind(std::string(name) + ":", 0) == 0) return needs;
    return what;
}

// "--port=" with nothing after the '=' would take the next word as its value.
std::string EmptyValue(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a.size() > 3 && a.rfind("--", 0) == 0 && a.back() == '=' && a.find('=') == a.size() - 1)
            return MissingValue(a.substr(0, a.size() - 1) + ":");
    return "";
}

}  // namespace

int Usage(FILE* err, const std::string& why) {
    std::fprintf(err, "veltrano-cli: %s\n", why.c_str());
    std::fputs(kUsage, err);
    return kUsageError;
}

int ParseArguments(const std::vector<std::string>& args, Options* o, FILE* out, FILE* err) {
    CLI::App cli(
        "Veltrano's own operations without a window: register reads and writes, \"Test Baud Rate\",\n"
        "the connection panel's Inquire and Set up, and every device page.",
        "veltrano-cli");
    auto formatter = std::make_shared<Formatter>();
    formatter->label("Subcommands", "Commands");
    cli.formatter(formatter);  // subcommands take it from here
    // A file name that starts with '/' stays a file name on Windows too.
    cli.allow_windows_style_options(false);
    // Unknown words stay ours to name; once a command is given, later words
    // are its arguments even where they spell another command.
    cli.allow_extras();
    cli.require_subcommand(0, 1);
    cli.set_help_flag("-h,--help", "print this help; COMMAND --help for that command's");
    cli.set_version_flag("--version", "veltrano-cli " + Version(), "print the version");
    formatter->shapes[&cli] = "[OPTIONS] COMMAND";

    Raw raw;
    CLI::Option* port = cli.add_option("--port", raw.port,
                                       "the serial port; without it, the USB adapter when exactly one is plugged in")
                            ->type_name("PATH")
                            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    CLI::Option* baud = cli.add_option("--baud", raw.baud, "line rate in bits per second (default 9600)")
                            ->type_name("N")
                            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    CLI::Option* address = cli.add_option("--address", raw.address, "the device's address, 0..255 (default 1)")
                               ->type_name("N")
                               ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    cli.add_flag("--trace", raw.trace, "print every frame written and every reply (TX/RX hex) on stderr");
    cli.add_option("--select", raw.selects,
                   "page commands: choose entry ITEM of list ID first, as a click would (repeatable)")
        ->type_name("ID=ITEM")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);

    auto leaf = [&](CLI::App* parent, const char* name, const std::string& description, const std::string& shape) {
        CLI::App* c = parent->add_subcommand(name, description);
        c->prefix_command();  // "-5.25" is a value, not an option
        c->allow_extras();
        formatter->shapes[c] = shape;
        return c;
    };
    leaf(&cli, "read", "read one register and print it (unsigned)", "read REG");
    leaf(&cli, "read32", "read two registers as one 32-bit number, the first the high half", "read32 REG");
    leaf(&cli, "readfloat", "read two registers as a single-precision float", "readfloat REG");
    leaf(&cli, "write", "write one register (function 06)", "write REG VALUE");
    leaf(&cli, "write32", "write a 32-bit number to two registers (function 16)", "write32 REG VALUE");
    leaf(&cli, "writefloat", "write a single-precision float to two registers", "writefloat REG VALUE");
    leaf(&cli, "writepair", "write two registers in one request (function 16)", "writepair REG V1 V2");
    leaf(&cli, "scan", "\"Test Baud Rate\": find the device and print the result text", "scan");
    leaf(&cli, "inquire", "the panel's Inquire, after a scan: the device's address and baud rate", "inquire");
    leaf(&cli, "set-address", "the panel's Set up, after a scan: a new address, 1..255", "set-address N");
    leaf(&cli, "set-baud", "the panel's Set up, after a scan: a new rate, 2400, 4800 or 9600", "set-baud N");

    CLI::App* page = cli.add_subcommand("page", "a device page run without a window, at the rate and address given");
    page->allow_extras();
    page->require_subcommand(0, 1);
    page->add_option("NAME", raw.pageName, "the page's class name (see: page list)");
    formatter->shapes[page] = "[--select ID=ITEM]... page NAME COMMAND | page list";
    leaf(page, "list", "every page: class, category, sub-tab", "page list");
    leaf(page, "inquire", "press every Inquire of the page; print label, value and unit per row", "page NAME inquire");
    CLI::App* set = leaf(page, "set", "put VALUE in the row's box and press its Set up; print the page's message",
                         "page NAME set LABEL [VALUE]");
    set->footer(
        "LABEL is the row's label or its edit's id; a command button takes no VALUE.\n"
        "A row whose box is a list takes the text of one of its entries.");

    CLI::App* poll = page->add_subcommand("poll", "run the page's real-time read set and print every value");
    poll->allow_extras();
    formatter->shapes[poll] = "page NAME poll [--every SECONDS] [--count N] [--csv [FILE] [--overwrite]]";
    CLI::Option* every =
        poll->add_option("--every", raw.every, "a tick every SECONDS (decimal); default 1")->type_name("SECONDS");
    CLI::Option* count =
        poll->add_option("--count", raw.count, "N ticks; default 1, or until Ctrl-C when --every is given")
            ->type_name("N");
    CLI::Option* csv = poll->add_option("--csv", raw.csvPath,
                                        "one CSV row per tick: time stamp, then each value (empty where the read "
                                        "failed), to FILE or stdout; flushed every tick")
                           ->type_name("FILE")
                           ->expected(0, 1);
    poll->add_flag("--overwrite", raw.overwrite, "replace FILE rather than append to it");
    poll->footer(
        "An existing FILE with the same header is appended to; one with another header is refused\n"
        "(--overwrite replaces it). Ctrl-C (or SIGTERM) ends it after the tick under way; the file\n"
        "is left complete. A device that goes away is reopened once a second, and each row it\n"
        "misses has empty fields. The exit status is the worst result of any tick.");

    auto fileCommand = [&](const char* name, const char* description, const std::string& shape, const char* more) {
        CLI::App* c = page->add_subcommand(name, description);
        c->allow_extras();
        c->add_option("FILE", raw.file, "the settings file (JSON)");
        c->footer(std::string("Settings are the rows with both an Inquire and a Set up.\n") + more);
        formatter->shapes[c] = shape;
        return c;
    };
    CLI::App* save =
        fileCommand("save", "read the page's settings and write them to FILE", "page NAME save FILE [--force]",
                    "FILE (JSON) holds the page class, the device's address, the baud rate, the time, and per row\n"
                    "its label, unit, register, text and register words, or a failed mark where the read failed.\n"
                    "Outputs and actions (a relay) are saved for reference and never loaded. Nothing is written\n"
                    "when no row can be read; when some row failed, an existing FILE is kept and the result goes\n"
                    "beside it (FILE.json: FILE.new.json).");
    save->add_flag("--force", raw.force, "replace FILE even when some row could not be read");
    fileCommand("diff", "print the settings that differ from FILE", "page NAME diff FILE",
                "One line per row: label, the file's text, the device's, unit.\n"
                "Exit status 0 the same, 4 different, 1 to 3 a read failed.");
    CLI::App* load = fileCommand("load", "set the settings that differ from FILE", "page NAME load FILE [--dry-run]",
                                 "Each row goes through the page's own Set up: the same conversions, checks and\n"
                                 "messages. One line per row: label, text, result. A file that is not a settings\n"
                                 "file of this page is refused and nothing is written; the exit status is not 0\n"
                                 "when any row was not written.");
    load->add_flag("--dry-run", raw.dryRun, "read and compare only: print what would be set");

    cli.footer(std::string("Numbers are decimal or 0x hex; negative values are two's complement.\n"
                           "Results go to stdout, failures to stderr.\n") +
               kExitText);

    if (const std::string empty = EmptyValue(args); !empty.empty()) return Usage(err, empty);
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        cli.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        std::fputs(cli.help().c_str(), out);
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        std::fputs(cli.help("", CLI::AppFormatMode::All).c_str(), out);
        return 0;
    } catch (const CLI::CallForVersion& e) {
        std::fprintf(out, "%s\n", e.what());
        return 0;
    } catch (const CLI::ParseError& e) {
        return Usage(err, MissingValue(e.what()));
    }

    // --- the options, in the command line's own words ---
    long long n = 0;
    if (port->count() > 0) {
        if (raw.port.empty()) return Usage(err, "--port needs a PATH");
        o->port = raw.port;
        o->portGiven = true;
    }
    if (baud->count() > 0) {
        if (!ParseInteger(raw.baud, &n) || n <= 0 || n >= 100000000)
            return Usage(err, "--baud needs a rate in bits per second");
        o->baud = static_cast<uint32_t>(n);
    }
    if (address->count() > 0) {
        if (!ParseInteger(raw.address, &n) || n < 0 || n > 255) return Usage(err, "--address needs a number 0..255");
        o->address = static_cast<uint8_t>(n);
    }
    o->trace = raw.trace;
    for (const std::string& v : raw.selects) {
        const size_t eq = v.find('=');
        if (eq == std::string::npos || !ParseInteger(v.substr(0, eq), &n) || n <= 0 || n > 65535)
            return Usage(err, "--select needs ID=ITEM: a list's control id and the text of one of its entries");
        o->selects.emplace_back(static_cast<int>(n), v.substr(eq + 1));
    }
    if (const std::vector<std::string> stray = cli.remaining(); !stray.empty()) {
        const std::string first = stray.front();
        return Usage(err, first.rfind("--", 0) == 0 ? "bad option '" + first + "'" : "unknown command '" + first + "'");
    }

    // --- the command, as typed ---
    const std::vector<CLI::App*> chosen = cli.get_subcommands();
    if (chosen.empty()) return Usage(err, "no command");
    CLI::App* command = chosen.front();
    std::vector<std::string>& c = o->command;
    c.push_back(command->get_name());
    if (command == page) {
        if (page->get_option("NAME")->count() > 0) c.push_back(raw.pageName);
        for (const std::string& a : page->remaining()) c.push_back(a);
        const std::vector<CLI::App*> sub = page->get_subcommands();
        if (!sub.empty()) {
            c.push_back(sub.front()->get_name());
            if (sub.front()->get_option_no_throw("FILE") && sub.front()->get_option("FILE")->count() > 0)
                c.push_back(raw.file);
            for (const std::string& a : sub.front()->remaining()) c.push_back(a);
        }
    } else {
        for (const std::string& a : command->remaining()) c.push_back(a);
    }

    // --- poll's and load's options ---
    PollOptions& p = o->poll;
    if (every->count() > 0) {
        double s = 0;
        if (!ParseDouble(raw.every, &s) || !std::isfinite(s) || s <= 0 || s > 86400)
            return Usage(err, "--every needs a number of seconds above 0, at most 86400");
        p.everyGiven = true;
        p.seconds = s;
    }
    if (count->count() > 0) {
        if (!ParseInteger(raw.count, &n) || n < 1) return Usage(err, "--count needs a number of ticks, 1 or more");
        p.countGiven = true;
        p.count = n;
    }
    if (csv->count() > 0) {
        p.csv = true;
        p.csvPath = raw.csvPath;
    }
    if (raw.overwrite && (!p.csv || p.csvPath.empty() || p.csvPath == "-"))
        return Usage(err, "--overwrite goes with --csv FILE");
    p.overwrite = raw.overwrite;
    o->dryRun = raw.dryRun;
    o->force = raw.force;
    return -1;
}

}  // namespace veltrano::cli::internal
