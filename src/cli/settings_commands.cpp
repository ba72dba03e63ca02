// page NAME save FILE | diff FILE | load FILE [--dry-run]: a page's
// settings kept in a file, compared with the device, copied to it.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/settings_file.h"
#include "cli/internal.h"
#include "pages/page_registry.h"

namespace veltrano::cli::internal {
namespace {

uint8_t Worse(uint8_t worst, uint8_t r) { return r != kResultOk && (worst == kResultOk || r < worst) ? r : worst; }

std::string Joined(const std::vector<std::string>& labels) {
    std::string out;
    for (const std::string& l : labels) out += (out.empty() ? "" : ", ") + l;
    return out;
}

// A file read before the port is looked at: 66 when it cannot be read, 65
// when it is not a settings file.
int ReadFile(const std::string& path, app::Settings* file, FILE* err) {
    std::error_code ec;
    const bool directory = std::filesystem::is_directory(path, ec);
    if (directory || ::access(path.c_str(), R_OK) != 0) {
        std::fprintf(err, "veltrano-cli: cannot read %s: %s\n", path.c_str(),
                     directory ? "it is a directory" : std::strerror(errno));
        return kNoInput;
    }
    std::string why;
    if (!app::ReadSettingsFile(path, file, &why)) {
        std::fprintf(err, "veltrano-cli: %s; nothing written\n", why.c_str());
        return kRefusedInput;
    }
    return -1;
}

int Save(Console& console, pages::DevicePage& page, const std::string& path, bool force, FILE* out, FILE* err) {
    if (app::SettingRows(page).empty()) {
        std::fprintf(err, "%s has no settings with the entries selected.\n", page.className().c_str());
        return kUsageError;
    }
    const app::Settings s = app::ReadSettings(page);
    console.host().Print(err);
    uint8_t worst = kResultOk;
    size_t failed = 0;
    for (const app::SettingRow& r : s.rows) {
        if (!r.failed) continue;
        ++failed;
        worst = Worse(worst, r.result);
        std::fprintf(err, "veltrano-cli: %s: read failed, result %d: %s\n", r.label.c_str(), r.result,
                     DescribeResult(r.result));
    }
    // A file of nothing but failed marks would replace a good one for nothing.
    if (failed == s.rows.size()) {
        std::fprintf(err, "veltrano-cli: no row could be read; %s not written\n", path.c_str());
        return worst;
    }
    std::string why, target;
    if (!app::SaveSettingsFile(path, s, force, &target, &why)) {
        std::fprintf(err, "veltrano-cli: cannot write %s\n", why.c_str());
        return kCannotCreate;
    }
    std::fprintf(out, "%s: %zu rows of %s saved", target.c_str(), s.rows.size() - failed, s.page.c_str());
    if (failed) std::fprintf(out, ", %zu failed", failed);
    std::fputc('\n', out);
    if (target != path)
        std::fprintf(err,
                     "veltrano-cli: %s kept as it was, since %zu of %zu rows could not be read; this result is in %s"
                     " (--force replaces %s)\n",
                     path.c_str(), failed, s.rows.size(), target.c_str(), path.c_str());
    return worst;
}

int Diff(Console& console, pages::DevicePage& page, const app::Settings& file, FILE* out, FILE* err) {
    const app::Settings device = app::ReadSettings(page);
    console.host().Print(err);
    uint8_t worst = kResultOk;
    const auto differences = app::CompareSettings(file, device);
    for (const app::SettingDifference& d : differences) {
        std::fprintf(out, "%s\t%s\t%s\t%s\n", d.label.c_str(), d.fileText.c_str(),
                     d.deviceFailed ? "(read failed)" : d.deviceText.c_str(), d.unit.c_str());
        if (d.deviceFailed) worst = Worse(worst, d.result);
    }
    const auto noValue = app::RowsWithoutValue(file);
    if (!noValue.empty())
        std::fprintf(err, "veltrano-cli: not compared, the file has no value for: %s\n", Joined(noValue).c_str());
    const auto reference = app::ReferenceRows(device);
    if (!reference.empty())
        std::fprintf(err, "veltrano-cli: not compared, outputs and actions are kept for reference only: %s\n",
                     Joined(reference).c_str());
    if (worst != kResultOk) {
        std::fprintf(err, "veltrano-cli: result %d: %s\n", worst, DescribeResult(worst));
        return worst;
    }
    return differences.empty() ? 0 : kDiffers;
}

int Load(Console& console, pages::DevicePage& page, const app::Settings& file, bool dryRun, FILE* out, FILE* err) {
    using Status = app::LoadResult::Status;
    const auto results = app::LoadSettings(page, file, dryRun);
    console.host().Print(err);
    std::vector<std::string> notWritten;
    int code = 0;
    uint8_t unread = kResultOk;
    for (const app::LoadResult& r : results) {
        std::string what;
        switch (r.status) {
            case Status::Unchanged: what = "unchanged"; break;
            case Status::Written: what = r.message.empty() ? "written" : r.message; break;
            case Status::WouldWrite:
                what = r.deviceFailed ? "would set (the device could not be read)"
                                      : "would set (the device shows " + r.deviceText + ")";
                unread = r.deviceFailed ? Worse(unread, r.readResult) : unread;
                break;
            case Status::Failed:
                what = "not written: " + r.message;
                notWritten.push_back(r.label);
                if (code == 0) code = r.code;
                break;
            case Status::NoValue: what = "skipped: the file has no value (its read failed when saved)"; break;
            case Status::Reference:
                what = "skipped: an output or an action, kept in the file for reference only";
                break;
        }
        std::fprintf(out, "%s\t%s\t%s\n", r.label.c_str(), r.text.c_str(), what.c_str());
    }
    if (!notWritten.empty()) {
        std::fprintf(err, "veltrano-cli: %zu of %zu rows not written: %s\n", notWritten.size(), results.size(),
                     Joined(notWritten).c_str());
        return code;
    }
    if (unread != kResultOk) {
        std::fprintf(err, "veltrano-cli: result %d: %s\n", unread, DescribeResult(unread));
        return unread;
    }
    return 0;
}

}  // namespace

int CheckSettingsFile(Options* o, FILE* err) {
    const std::vector<std::string>& c = o->command;
    if (c.size() != 4 || (c[2] != "save" && c[2] != "diff" && c[2] != "load")) return -1;
    const std::string& name = c[1];
    const std::string& path = c[3];
    Link scratch;  // the page is built only to read its rows; which of them hold settings
                   // may depend on lists its container fills, so any entry will do here
    if (!app::MayHoldSettings(*pages::MakePage(pages::FindPage(name)->templateId, scratch)))
        return Usage(err, name + " has no settings to " + c[2] + ": no row with both an Inquire and a Set up");
    if (c[2] == "save") {
        std::error_code ec;
        const std::filesystem::path target(path);
        const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
        std::string why;
        if (std::filesystem::is_directory(target, ec))
            why = "it is a directory";
        else if (::access(dir.string().c_str(), W_OK) != 0)
            why = std::strerror(errno);
        if (!why.empty()) {
            std::fprintf(err, "veltrano-cli: cannot write %s: %s\n", path.c_str(), why.c_str());
            return kCannotCreate;
        }
        return -1;
    }
    // Read once, here: a pipe or /dev/stdin has nothing left for a second read.
    app::Settings file;
    if (const int refused = ReadFile(path, &file, err); refused >= 0) return refused;
    if (file.page != name) {
        std::fprintf(err, "veltrano-cli: %s holds settings of %s, not of %s; nothing written\n", path.c_str(),
                     file.page.c_str(), name.c_str());
        return kRefusedInput;
    }
    o->settingsFile = std::move(file);
    return -1;
}

int SettingsCommand(Console& console, pages::DevicePage& page, const Options& o, FILE* out, FILE* err) {
    const std::string& command = o.command[2];
    const std::string& path = o.command[3];
    app::Settings file;
    if (command != "save") {
        if (o.settingsFile)
            file = *o.settingsFile;
        else if (const int refused = ReadFile(path, &file, err); refused >= 0)
            return refused;
        std::string why;
        // After the lists are selected: the file's type entry is compared with theirs.
        if (!app::SettingsFitPage(file, page, &why)) {
            std::fprintf(err, "veltrano-cli: %s: %s; nothing written\n", path.c_str(), why.c_str());
            return kRefusedInput;
        }
    }
    OpenAsGiven(console.link(), o, err);
    console.host().Print(err);
    if (command == "save") return Save(console, page, path, o.force, out, err);
    if (command == "diff") return Diff(console, page, file, out, err);
    return Load(console, page, file, o.dryRun, out, err);
}

}  // namespace veltrano::cli::internal
