#pragma once
// A page's settings (thresholds, calibrations, coefficients) saved to a JSON
// file, compared with a device, and written to another device through the
// page's own Set up buttons. Toolkit-neutral: the command line's
// "page NAME save|diff|load" and the window's File menu share it.
//
// The rows a file holds are the page's visible rows with both an Inquire
// and a Set up: a value that can be read back. Buttons that only write (a
// calibration step) are commands, not settings, and are never replayed;
// rows a reduced "Sensor Type" entry takes away are not the device's. A row
// that drives an output or starts an action (a relay) is saved for
// reference only: load and diff leave it alone. Rows are matched by label
// and register; each keeps the register words it was read from, so that a
// value the page shows rounded ("%f" of a float) loads back bit for bit.

#include <cstdint>
#include <string>
#include <vector>

namespace veltrano::pages {
class DevicePage;
}

namespace veltrano::app {

inline constexpr const char* kSettingsFormat = "veltrano-settings";
inline constexpr int kSettingsVersion = 1;
// Far above any page's settings; a larger file is not one of ours.
inline constexpr size_t kSettingsMaxBytes = 1 << 20;

struct SettingRow {
    std::string label;
    std::string unit;
    uint16_t reg = 0;
    bool failed = false;  // the read failed when saved: no text
    uint8_t result = 0;   // that read's result code
    std::string text;     // the text the page showed
    // The register words the text was read from, first register first;
    // empty when unknown (a file of an earlier version).
    std::vector<uint16_t> words;
    bool reference = false;  // an output or an action: never loaded or compared
};

struct Settings {
    std::string page;  // class name
    unsigned address = 0;
    uint32_t baud = 0;
    std::string time;  // ISO 8601
    // Pages whose conversions follow their "Sensor Type" list record its
    // entry: the same text means another number under another entry.
    int typeList = 0;  // control id; 0: the page has none
    std::string typeEntry;
    std::vector<SettingRow> rows;
};

// Reads every settings row of the page now, through its Inquire buttons
// (each pressed once; message boxes are kept from the operator's screen).
// The address, rate and time are the link's and the clock's.
Settings ReadSettings(pages::DevicePage& page);
// Rows that a file of this page holds, without reading anything.
std::vector<SettingRow> SettingRows(const pages::DevicePage& page);
// The page has rows a file could hold under some entry of its lists (a page
// built outside its category container has its type list still empty).
bool MayHoldSettings(const pages::DevicePage& page);

std::string SettingsToJson(const Settings& settings);
// Refuses anything but a settings file of this format and version, with
// the reason in `error`.
bool SettingsFromJson(const std::string& text, Settings* settings, std::string* error);

// Writes through a temporary file renamed into place: a failed save leaves
// the previous file as it was.
bool WriteSettingsFile(const std::string& path, const Settings& settings, std::string* error);
// Reads the file once (a pipe or /dev/stdin works as well as a file).
bool ReadSettingsFile(const std::string& path, Settings* settings, std::string* error);

// A save in which some row failed would replace the good values an existing
// file holds with failed marks: it goes beside that file instead
// (golden.json: golden.new.json), unless the caller chose to replace it.
bool SaveKeepsOldFile(const std::string& path, const Settings& settings);
std::string BesidePath(const std::string& path);
// Writes `settings` to `path`, or beside it as SaveKeepsOldFile says unless
// `replace`; `writtenTo` is where it went.
bool SaveSettingsFile(const std::string& path, const Settings& settings, bool replace, std::string* writtenTo,
                      std::string* error);

// The file was saved from this page: same class, the same type entry, and
// every row one of the page's settings rows (each once).
bool SettingsFitPage(const Settings& file, const pages::DevicePage& page, std::string* error);

struct SettingDifference {
    std::string label;
    std::string unit;
    std::string fileText;
    std::string deviceText;
    bool deviceFailed = false;  // could not be read now
    uint8_t result = 0;
};
// Rows with a value in the file that the device holds otherwise (or could
// not show at all), in the file's order; compared by register words where
// both have them, else by text. Rows kept for reference are left out.
std::vector<SettingDifference> CompareSettings(const Settings& file, const Settings& device);
// Rows of the file without a value (their read had failed when saved).
std::vector<std::string> RowsWithoutValue(const Settings& file);
// Rows kept for reference only (outputs and actions), by label.
std::vector<std::string> ReferenceRows(const Settings& settings);

struct LoadResult {
    enum class Status {
        Unchanged,   // the device already shows the file's text
        Written,     // the Set up succeeded
        WouldWrite,  // dry run: it differs and would be set
        Failed,      // the Set up was refused or its write failed
        NoValue,     // the file has no value for it
        Reference,   // an output or an action: never loaded
    };
    std::string label;
    std::string text;        // the file's
    std::string deviceText;  // before the load ("" when it could not be read)
    bool deviceFailed = false;
    uint8_t readResult = 0;  // the read's result when it failed
    Status status = Status::Unchanged;
    // Failed: the write's result code, or 65 for a value refused before
    // anything was sent.
    int code = 0;
    std::string message;  // the page's message for the Set up
};
inline constexpr int kLoadRefused = 65;

// Reads the device, then sets every row whose value differs, in page order,
// through the row's Set up button as a click would (the same conversions,
// checks and messages; a locked button is refused). Where the file has the
// register words, the text typed is the one the row's write turns into
// those very words. Rows after a failed one are still tried; rows kept for
// reference are skipped. The file must fit the page (SettingsFitPage).
std::vector<LoadResult> LoadSettings(pages::DevicePage& page, const Settings& file, bool dryRun);

}  // namespace veltrano::app
