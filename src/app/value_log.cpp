#include "app/value_log.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "modbus/frames.h"
#include "modbus/result_code.h"
#include "pages/table_page.h"

namespace veltrano::app {
namespace {

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// "Register 0：" names the column "Register 0": the colon belongs to the form.
std::string ColumnName(const std::string& label) {
    std::string name = Trimmed(label);
    static const std::string kWideColon = "\xEF\xBC\x9A";  // U+FF1A
    for (;;) {
        if (!name.empty() && name.back() == ':')
            name.pop_back();
        else if (name.size() >= kWideColon.size() && name.ends_with(kWideColon))
            name.resize(name.size() - kWideColon.size());
        else
            break;
        name = Trimmed(name);
    }
    return name;
}

std::string ErrnoText(const std::string& path) { return path + ": " + std::strerror(errno); }

#ifdef _WIN32
constexpr const char* kCreateMode = "wb";  // "\n" as written, as everywhere else
constexpr const char* kUpdateMode = "r+b";
bool LocalTime(time_t t, struct tm* out) { return localtime_s(out, &t) == 0; }
bool UtcTime(time_t t, struct tm* out) { return gmtime_s(out, &t) == 0; }
bool Truncate(FILE* f, uint64_t size) { return _chsize_s(_fileno(f), static_cast<long long>(size)) == 0; }
bool SeekTo(FILE* f, uint64_t at) { return _fseeki64(f, static_cast<long long>(at), SEEK_SET) == 0; }
uint64_t SizeOf(FILE* f) { return _fseeki64(f, 0, SEEK_END) == 0 ? static_cast<uint64_t>(_ftelli64(f)) : 0; }
#else
constexpr const char* kCreateMode = "we";  // not inherited by programs started later
constexpr const char* kUpdateMode = "r+e";
bool LocalTime(time_t t, struct tm* out) { return localtime_r(&t, out) != nullptr; }
bool UtcTime(time_t t, struct tm* out) { return gmtime_r(&t, out) != nullptr; }
bool Truncate(FILE* f, uint64_t size) { return ::ftruncate(fileno(f), static_cast<off_t>(size)) == 0; }
bool SeekTo(FILE* f, uint64_t at) { return ::fseeko(f, static_cast<off_t>(at), SEEK_SET) == 0; }
uint64_t SizeOf(FILE* f) { return ::fseeko(f, 0, SEEK_END) == 0 ? static_cast<uint64_t>(::ftello(f)) : 0; }
#endif

// The file's first line, "\n" included (at most `limit` bytes).
std::string FirstLine(FILE* f, size_t limit) {
    std::string line;
    SeekTo(f, 0);
    for (int c; line.size() < limit && (c = std::fgetc(f)) != EOF;) {
        line += static_cast<char>(c);
        if (c == '\n') break;
    }
    return line;
}

// Where the file's last complete record ends: just after its last "\n".
uint64_t CompleteLength(FILE* f, uint64_t size) {
    char block[4096];
    for (uint64_t end = size; end > 0;) {
        const uint64_t start = end > sizeof block ? end - sizeof block : 0;
        const size_t n = static_cast<size_t>(end - start);
        if (!SeekTo(f, start) || std::fread(block, 1, n, f) != n) return size;
        for (size_t k = n; k-- > 0;)
            if (block[k] == '\n') return start + k + 1;
        end = start;
    }
    return 0;
}

// Minutes east of UTC: the local clock's reading less the UTC clock's
// (tm_gmtoff is not on every system).
long OffsetMinutes(const struct tm& local, const struct tm& utc) {
    long days = local.tm_yday - utc.tm_yday;
    if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;  // across New Year
    return (days * 24 + local.tm_hour - utc.tm_hour) * 60 + local.tm_min - utc.tm_min;
}

}  // namespace

std::string IsoTime(std::chrono::system_clock::time_point t) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
    time_t seconds = static_cast<time_t>(ms / 1000);
    long millis = static_cast<long>(ms % 1000);
    if (millis < 0) {  // before 1970: floor, not truncation
        millis += 1000;
        --seconds;
    }
    struct tm local {
    }, utc{};
    if (!LocalTime(seconds, &local) || !UtcTime(seconds, &utc)) return "";
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const long offset = OffsetMinutes(local, utc);
    const long magnitude = offset < 0 ? -offset : offset;
    char out[64];
    std::snprintf(out, sizeof out, "%s.%03ld%c%02ld:%02ld", date, millis, offset < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return out;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string CsvRecord(const std::vector<std::string>& fields) {
    std::string record;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) record += ',';
        record += CsvField(fields[i]);
    }
    record += '\n';
    return record;
}

OutcomeTap::OutcomeTap(Link& link, Observer observer) : link_(link), previous_(link.outcome) {
    link_.outcome = [observer = std::move(observer), previous = previous_](const Outcome& outcome) {
        observer(outcome);
        if (previous) previous(outcome);
    };
}

OutcomeTap::~OutcomeTap() { link_.outcome = previous_; }

std::vector<LogColumn> LogColumns(const pages::DevicePage& page) {
    std::vector<LogColumn> columns;
    const auto* table = dynamic_cast<const pages::TablePage*>(&page);
    if (!table) {
        // Without a table nothing says which read fills which box.
        for (const auto& row : page.Rows())
            if (row.inquire || !row.setup) columns.push_back(LogColumn{row.edit, row.label, row.unit, -1});
        return columns;
    }
    const pages::PageTable& t = table->table();
    std::vector<std::pair<int, int>> refreshed;  // edit, source register
    if (t.block) {
        for (const pages::BlockField& f : t.block->fields) refreshed.emplace_back(f.edit, t.block->start);
    } else {
        for (int edit : table->ReadSet())
            if (const pages::Row* row = table->RowOfEdit(edit)) refreshed.emplace_back(edit, row->reg);
    }
    for (const auto& row : page.Rows()) {
        auto it = std::find_if(refreshed.begin(), refreshed.end(), [&](const auto& r) { return r.first == row.edit; });
        if (it != refreshed.end())
            columns.push_back(LogColumn{row.edit, row.label, row.unit, it->second});
        else if (!table->RowOfEdit(row.edit))
            columns.push_back(LogColumn{row.edit, row.label, row.unit, -1});
    }
    return columns;
}

std::vector<std::string> LogHeader(const std::vector<LogColumn>& columns) {
    std::vector<std::string> header{"time"};
    std::string previous;
    for (const LogColumn& c : columns) {
        // A box without a label shows the row before it in another unit ("NO2" in ppm, then mg/m3).
        std::string name = ColumnName(c.label);
        if (name.empty()) name = previous;
        previous = name;
        const std::string unit = Trimmed(c.unit);
        header.push_back(unit.empty() ? name : name.empty() ? "(" + unit + ")" : name + " (" + unit + ")");
    }
    return header;
}

TickSampler::TickSampler(const pages::DevicePage& page) : columns_(LogColumns(page)) {}

void TickSampler::Begin(std::chrono::system_clock::time_point when) {
    when_ = when;
    reads_.clear();
    transactions_ = 0;
    worst_ = kResultOk;
}

void TickSampler::Note(const Outcome& outcome) {
    const uint8_t result = outcome.result();
    ++transactions_;
    if (outcome.function == fn::kReadHolding) reads_.emplace_back(outcome.reg, result);
    if (result != kResultOk && (worst_ == kResultOk || result < worst_)) worst_ = result;
}

Sample TickSampler::End(const pages::DevicePage& page) const {
    Sample s;
    s.time = when_;
    s.reads = transactions_;
    s.worst = worst_;
    for (const LogColumn& c : columns_) {
        bool read = c.sourceRegister < 0, failed = false;
        for (const auto& [reg, result] : reads_) {
            if (reg != c.sourceRegister) continue;
            read = true;
            failed = failed || result != kResultOk;
        }
        const bool fresh = read && !failed && page.Has(c.edit);
        s.values.push_back(fresh ? Trimmed(page.GetItemText(c.edit)) : "");
        s.failed.push_back(failed);
    }
    return s;
}

Sample RunTick(pages::DevicePage& page, TickSampler& sampler) {
    sampler.Begin(std::chrono::system_clock::now());
    {
        OutcomeTap tap(page.link(), [&](const Outcome& outcome) { sampler.Note(outcome); });
        page.RunRealTimeReadSet();
    }
    return sampler.End(page);
}

CsvLog::~CsvLog() { Close(nullptr); }

bool CsvLog::Open(const std::string& path, std::string* error) {
    Close(nullptr);
    file_ = std::fopen(path.c_str(), kCreateMode);
    if (!file_) {
        if (error) *error = ErrnoText(path);
        return false;
    }
    // Unbuffered: what a failed write left behind is on the disk, where Cut finds it.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    owned_ = true;
    path_ = path;
    bytes_ = 0;
    size_ = 0;
    return true;
}

CsvLog::Start CsvLog::OpenFor(const std::string& path, const std::vector<LogColumn>& columns, bool overwrite,
                              std::string* error) {
    Close(nullptr);
    const std::string header = CsvRecord(LogHeader(columns));
    if (!overwrite) {
        if (FILE* f = std::fopen(path.c_str(), kUpdateMode)) {
            const uint64_t size = SizeOf(f);
            if (size > 0) {
                const std::string first = FirstLine(f, header.size() + 1);
                if (first != header) {
                    std::fclose(f);
                    if (error)
                        *error = path + " holds a log of other values (" + Trimmed(first.substr(0, 200)) +
                                 "); it was left as it was";
                    return Start::OtherHeader;
                }
                // A row that an earlier run could not finish goes; the complete ones stay.
                const uint64_t complete = CompleteLength(f, size);
                if ((complete < size && !Truncate(f, complete)) || !SeekTo(f, complete)) {
                    if (error) *error = ErrnoText(path);
                    std::fclose(f);
                    return Start::Failed;
                }
                std::setvbuf(f, nullptr, _IONBF, 0);
                file_ = f;
                owned_ = true;
                path_ = path;
                bytes_ = 0;
                size_ = complete;
                return Start::Appended;
            }
            std::fclose(f);
        }
    }
    if (!Open(path, error)) return Start::Failed;
    return WriteHeader(columns, error) ? Start::Created : Start::Failed;
}

void CsvLog::Attach(FILE* stream) {
    Close(nullptr);
    file_ = stream;
    owned_ = false;
    path_ = "output";
    bytes_ = 0;
    size_ = 0;
}

bool CsvLog::Close(std::string* error) {
    if (!file_) return true;
    bool ok = true;
    if (owned_) {
        ok = std::fclose(file_) == 0;
        if (!ok && error) *error = ErrnoText(path_);
    } else {
        ok = std::fflush(file_) == 0;
    }
    file_ = nullptr;
    return ok;
}

bool CsvLog::Put(const std::string& record, std::string* error) {
    if (!file_) {
        if (error) *error = "no log file open";
        return false;
    }
    if (std::fwrite(record.data(), 1, record.size(), file_) != record.size() || std::fflush(file_) != 0) {
        if (error) *error = ErrnoText(path_);
        // The part of the record that did reach the disk is cut off: the file
        // ends with its last complete row, as a reader of the log expects.
        if (owned_ && !Cut(size_) && error) *error += ", and its last row could not be cut back";
        return false;
    }
    bytes_ += record.size();
    size_ += record.size();
    return true;
}

bool CsvLog::Cut(uint64_t size) {
    std::clearerr(file_);
    return Truncate(file_, size) && SeekTo(file_, size);
}

bool CsvLog::WriteHeader(const std::vector<LogColumn>& columns, std::string* error) {
    return Put(CsvRecord(LogHeader(columns)), error);
}

bool CsvLog::WriteRow(const Sample& sample, std::string* error) {
    std::vector<std::string> fields;
    fields.reserve(sample.values.size() + 1);
    fields.push_back(IsoTime(sample.time));
    fields.insert(fields.end(), sample.values.begin(), sample.values.end());
    return Put(CsvRecord(fields), error);
}

}  // namespace veltrano::app
