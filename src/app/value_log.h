#pragma once
// Live values logged to CSV: one row per real-time tick, a time stamp and
// each value the page shows. Toolkit-neutral: the command line's
// "page NAME poll --csv" and the window's "Log to file…" share it.
//
// A value is logged only when the read behind it succeeded in that very
// tick. Some reads keep their old text on failure, so the box alone cannot
// tell a fresh value from a stale one; the link's transaction outcomes can.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "serial/link.h"

namespace veltrano::pages {
class DevicePage;
}

namespace veltrano::app {

// Local time, ISO 8601 with milliseconds and the UTC offset:
// "2025-03-01T14:03:07.123+01:00".
std::string IsoTime(std::chrono::system_clock::time_point t);

// RFC 4180: a field holding a comma, a double quote, CR or LF is quoted,
// its quotes doubled. A record is its fields joined by commas, ending "\n".
std::string CsvField(std::string_view text);
std::string CsvRecord(const std::vector<std::string>& fields);

// Adds an observer to link.outcome for as long as it lives; the observer
// that was there keeps being called. Taps nest (destroy in reverse order).
class OutcomeTap {
public:
    using Observer = std::function<void(const Outcome& outcome)>;
    OutcomeTap(Link& link, Observer observer);
    ~OutcomeTap();
    OutcomeTap(const OutcomeTap&) = delete;
    OutcomeTap& operator=(const OutcomeTap&) = delete;

private:
    Link& link_;
    Observer previous_;
};

// One value of a page's real-time refresh.
struct LogColumn {
    int edit = 0;
    std::string label;
    std::string unit;
    // The register whose read fills the box (a block read's first register);
    // -1 for a value the page derives from other boxes (a wind direction's name).
    int sourceRegister = -1;
};

// The values the page's real-time read set refreshes, in page order.
std::vector<LogColumn> LogColumns(const pages::DevicePage& page);
// "time", then "Label (unit)" per column (the label without its trailing colon).
std::vector<std::string> LogHeader(const std::vector<LogColumn>& columns);

struct Sample {
    std::chrono::system_clock::time_point time;
    // One per column: the box's text, or "" where its read failed or did not
    // run this tick (a box may keep an old text on failure).
    std::vector<std::string> values;
    std::vector<bool> failed;  // one per column: a read of it failed this tick
    int reads = 0;             // transactions the tick ran
    uint8_t worst = 0;         // kResultOk, or the lowest failing result code
};

// Collects a tick's transaction outcomes, then reads the page's boxes.
class TickSampler {
public:
    explicit TickSampler(const pages::DevicePage& page);
    const std::vector<LogColumn>& columns() const { return columns_; }

    // A tick starts (forgets the outcomes of the last one).
    void Begin(std::chrono::system_clock::time_point when);
    // Every transaction of the tick (feed it from link.outcome).
    void Note(const Outcome& outcome);
    // The tick's row, once its reads are done.
    Sample End(const pages::DevicePage& page) const;

private:
    std::vector<LogColumn> columns_;
    std::chrono::system_clock::time_point when_;
    std::vector<std::pair<uint16_t, uint8_t>> reads_;  // function 03 outcomes: register, result
    int transactions_ = 0;
    uint8_t worst_ = 0;
};

// One tick of the page's real-time read set, observed: what the poller does
// once a second, plus the row it leaves.
Sample RunTick(pages::DevicePage& page, TickSampler& sampler);

// The CSV file (or stream) of a log. Each row goes to the file as it is
// written, so that a killed program leaves every finished row on disk; a
// row the disk had no room for is cut off again, so that the file ends
// with its last complete row.
class CsvLog {
public:
    CsvLog() = default;
    ~CsvLog();
    CsvLog(const CsvLog&) = delete;
    CsvLog& operator=(const CsvLog&) = delete;

    // Creates (or empties) the file.
    bool Open(const std::string& path, std::string* error);
    enum class Start {
        Created,      // a new (or empty, or replaced) file, its header written
        Appended,     // the file held the same header: new rows follow its last complete one
        OtherHeader,  // the file holds another log: refused, the file untouched
        Failed,       // it could not be read or written (`error` says why)
    };
    // The log of `columns` in `path`: appended to when the file holds the
    // same header, refused when it holds another, unless `overwrite`.
    Start OpenFor(const std::string& path, const std::vector<LogColumn>& columns, bool overwrite, std::string* error);
    // Writes to a stream the caller keeps open (stdout).
    void Attach(FILE* stream);
    bool Close(std::string* error);

    bool WriteHeader(const std::vector<LogColumn>& columns, std::string* error);
    bool WriteRow(const Sample& sample, std::string* error);
    // Bytes written so far.
    uint64_t bytes() const { return bytes_; }

private:
    bool Put(const std::string& record, std::string* error);

    bool Cut(uint64_t size);

    FILE* file_ = nullptr;
    bool owned_ = false;
    std::string path_;
    uint64_t bytes_ = 0;
    uint64_t size_ = 0;  // the file's length after the last complete record
};

}  // namespace veltrano::app
