#include "app/settings_file.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/value_log.h"
#include "modbus/frames.h"
#include "modbus/result_code.h"
#include "pages/table_page.h"
#include "ui/recording_host.h"

namespace veltrano::app {
namespace {

using Json = nlohmann::ordered_json;

struct SettingsRow {
    pages::DevicePage::RowInfo info;
    const pages::Row* row = nullptr;
};

std::vector<SettingsRow> RowsOf(const pages::DevicePage& page, bool anyType = false) {
    std::vector<SettingsRow> rows;
    const auto* table = dynamic_cast<const pages::TablePage*>(&page);
    if (!table) return rows;  // no table, no registers to name
    // Rows that follow a reduced "Sensor Type" are not this device's.
    const bool reduced = !anyType && table->TypeReduced();
    for (const auto& info : page.Rows()) {
        if (!info.inquire || !info.setup) continue;
        const pages::Row* row = table->RowOfEdit(info.edit);
        if (row && !(row->follows && reduced)) rows.push_back(SettingsRow{info, row});
    }
    return rows;
}

// The same text, and where both know them the same register words: a
// float shown as "0.000000" may hold 1.5e-7 or 0. (A text edited in the
// file differs by its text.)
bool SameValue(const SettingRow& a, const SettingRow& b) {
    return a.text == b.text && (a.words.empty() || b.words.empty() || a.words == b.words);
}

// The text that the row's write turns into the file row's words, or ""
// when its write cannot say it, or when the words no longer read as the
// row's text (edited in the file): then the text is typed.
std::string TextOfWords(const pages::TablePage& page, const pages::Row& row, const SettingRow& f) {
    using pages::Write;
    const std::vector<uint16_t>& words = f.words;
    const pages::WriteOp& op = page.WriteOf(row);
    const pages::ReadOp& read = page.ReadOf(row);
    const RegisterRange range = pages::WriteRange(read, op);
    const bool two = op.kind == Write::Scaled32 || op.kind == Write::Float;
    if (words.size() != (two ? 2u : 1u)) return "";
    const uint32_t raw = two ? static_cast<uint32_t>(words[0]) << 16 | words[1] : words[0];
    if (pages::FormatRead(read, raw) != f.text) return "";
    if (op.kind == Write::Float) {
        float single;
        std::memcpy(&single, &raw, sizeof single);
        if (!std::isfinite(single)) return "";
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, single);  // shortest text that reads back to these bits
        return std::string(buf, r.ptr);
    }
    if (op.kind != Write::Scaled && op.kind != Write::Scaled32 && op.kind != Write::FromEdit) return "";
    const int64_t v = range.min < 0 && !two ? static_cast<int16_t>(raw) : static_cast<int64_t>(raw);
    return range.Holds(v) ? UnscaledText(v, op.kind == Write::FromEdit ? 1 : op.multiplier) : "";
}

bool SameRow(const SettingRow& a, const std::string& label, uint16_t reg) { return a.label == label && a.reg == reg; }

const SettingRow* Find(const std::vector<SettingRow>& rows, const std::string& label, uint16_t reg) {
    for (const SettingRow& r : rows)
        if (SameRow(r, label, reg)) return &r;
    return nullptr;
}

// Message boxes of the page go to a recorder while it lives, not to the
// operator's screen; the page's own host (if it had one) comes back after.
class QuietPage {
public:
    explicit QuietPage(pages::DevicePage& page) : page_(page) {
        ui::Host* parentHost = page.parent() ? page.parent()->host() : nullptr;
        own_ = page.host() != parentHost ? page.host() : nullptr;
        page_.SetHost(&recorder_);
    }
    ~QuietPage() { page_.SetHost(own_); }
    const ui::RecordingHost& recorder() const { return recorder_; }

private:
    pages::DevicePage& page_;
    ui::Host* own_ = nullptr;
    ui::RecordingHost recorder_;
};

const pages::TypeList* TypeListOf(const pages::DevicePage& page) {
    const auto* table = dynamic_cast<const pages::TablePage*>(&page);
    return table ? table->table().typeList : nullptr;
}

std::string WithoutCr(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

// The parts of nlohmann's messages worth showing: "parse error at line 3,
// column 5: syntax error ...", without the exception's id.
std::string JsonReason(const std::exception& e) {
    std::string what = e.what();
    const size_t close = what.find("] ");
    return close == std::string::npos ? what : what.substr(close + 2);
}

}  // namespace

std::vector<SettingRow> SettingRows(const pages::DevicePage& page) {
    std::vector<SettingRow> rows;
    for (const SettingsRow& r : RowsOf(page)) {
        SettingRow row{r.info.label, r.info.unit, r.row->reg};
        row.reference = r.row->action;
        rows.push_back(row);
    }
    return rows;
}

bool MayHoldSettings(const pages::DevicePage& page) { return !RowsOf(page, true).empty(); }

Settings ReadSettings(pages::DevicePage& page) {
    Link& link = page.link();
    Settings s;
    s.page = page.className();
    s.address = link.deviceAddress;
    s.baud = link.wire().baudRate();
    s.time = IsoTime(std::chrono::system_clock::now());
    if (const pages::TypeList* t = TypeListOf(page)) {
        s.typeList = t->id;
        s.typeEntry = page.GetSelectedText(t->id);
    }
    const std::vector<SettingsRow> rows = RowsOf(page);
    struct Seen {
        uint16_t reg;
        uint8_t result;
        std::vector<uint16_t> words;
    };
    std::vector<Seen> reads;
    {
        QuietPage quiet(page);
        OutcomeTap tap(link, [&](const Outcome& outcome) {
            if (outcome.function != fn::kReadHolding) return;
            const uint8_t result = outcome.result();
            Seen seen{outcome.reg, result, {}};
            // The request and the reply it was judged on are still in the buffers.
            const unsigned count = static_cast<unsigned>(link.txBuffer[4]) << 8 | link.txBuffer[5];
            if (result == kResultOk && 3u + 2u * count + 2u <= link.replyLength)
                for (unsigned k = 0; k < count; ++k)
                    seen.words.push_back(
                        static_cast<uint16_t>(link.rxBuffer[3 + 2 * k] << 8 | link.rxBuffer[4 + 2 * k]));
            reads.push_back(std::move(seen));
        });
        // Each button once, whatever the "Real Time" lock: reading changes nothing.
        std::vector<int> pressed;
        for (const SettingsRow& r : rows) {
            if (std::find(pressed.begin(), pressed.end(), r.info.inquire) != pressed.end()) continue;
            pressed.push_back(r.info.inquire);
            page.Command(r.info.inquire);
        }
    }
    for (const SettingsRow& r : rows) {
        SettingRow row{r.info.label, r.info.unit, r.row->reg};
        row.reference = r.row->action;
        bool read = false;
        uint8_t result = kResultOk;
        for (const Seen& seen : reads) {
            if (seen.reg != r.row->reg) continue;
            read = true;
            if (seen.result != kResultOk && result == kResultOk) result = seen.result;
            if (row.words.empty()) row.words = seen.words;
        }
        if (!read) result = link.portOpen ? kResultNoReply : kResultPortClosed;  // refused before a request
        if (result == kResultOk) {
            row.text = page.GetItemText(r.info.edit);
        } else {
            row.words.clear();
            row.failed = true;
            row.result = result;
        }
        s.rows.push_back(row);
    }
    return s;
}

std::string SettingsToJson(const Settings& s) {
    Json j;
    j["format"] = kSettingsFormat;
    j["version"] = kSettingsVersion;
    j["page"] = s.page;
    j["address"] = s.address;
    j["baud"] = s.baud;
    j["time"] = s.time;
    if (s.typeList) j["type"] = Json{{"list", s.typeList}, {"entry", s.typeEntry}};
    Json rows = Json::array();
    for (const SettingRow& r : s.rows) {
        Json row;
        row["label"] = r.label;
        row["unit"] = r.unit;
        row["register"] = r.reg;
        if (r.failed) {
            row["failed"] = true;
            row["result"] = r.result;
        } else {
            row["text"] = r.text;
            if (!r.words.empty()) row["words"] = r.words;
        }
        if (r.reference) row["reference"] = true;
        rows.push_back(row);
    }
    j["rows"] = rows;
    // Texts come from the device's formatting and our own tables; should a
    // byte ever not be UTF-8 it is replaced rather than failing the save.
    return j.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

namespace {

bool FromJson(const std::string& text, Settings* out, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    Json j;
    try {
        j = Json::parse(text);
    } catch (const Json::exception& e) {
        // A syntax error, or a number no double holds (1e400).
        return fail("not JSON: " + JsonReason(e));
    }
    if (!j.is_object() || !j.contains("format") || j["format"] != kSettingsFormat)
        return fail(std::string("not a settings file (no \"format\": \"") + kSettingsFormat + "\")");
    if (!j.contains("version") || !j["version"].is_number_integer()) return fail("no settings version");
    if (j["version"].get<long long>() != kSettingsVersion)
        return fail("settings version " + j["version"].dump() + ", this program reads version " +
                    std::to_string(kSettingsVersion));
    Settings s;
    auto string = [&](const Json& o, const char* key, std::string* v, const std::string& where) {
        if (!o.contains(key) || !o[key].is_string()) return fail(where + "\"" + key + "\" must be a text");
        *v = o[key].get<std::string>();
        return true;
    };
    auto number = [&](const Json& o, const char* key, unsigned long long max, unsigned long long* v,
                      const std::string& where) {
        if (!o.contains(key) || !o[key].is_number_unsigned() || o[key].get<unsigned long long>() > max)
            return fail(where + "\"" + key + "\" must be a whole number 0.." + std::to_string(max));
        *v = o[key].get<unsigned long long>();
        return true;
    };
    unsigned long long n = 0;
    if (!string(j, "page", &s.page, "") || !string(j, "time", &s.time, "")) return false;
    if (!number(j, "address", 255, &n, "")) return false;
    s.address = static_cast<unsigned>(n);
    if (!number(j, "baud", 100000000, &n, "")) return false;
    s.baud = static_cast<uint32_t>(n);
    if (j.contains("type")) {
        const Json& t = j["type"];
        if (!t.is_object()) return fail("\"type\" must be an object with \"list\" and \"entry\"");
        if (!number(t, "list", 65535, &n, "type: ") || n == 0) return fail("type: \"list\" must be a control id");
        s.typeList = static_cast<int>(n);
        if (!string(t, "entry", &s.typeEntry, "type: ")) return false;
    }
    if (!j.contains("rows") || !j["rows"].is_array()) return fail("\"rows\" must be a list");
    size_t index = 0;
    for (const Json& r : j["rows"]) {
        ++index;
        const std::string where = "row " + std::to_string(index) + ": ";
        if (!r.is_object()) return fail(where + "must be an object");
        SettingRow row;
        if (!string(r, "label", &row.label, where) || !string(r, "unit", &row.unit, where)) return false;
        if (!number(r, "register", 65535, &n, where)) return false;
        row.reg = static_cast<uint16_t>(n);
        const bool hasText = r.contains("text");
        const bool failed = r.contains("failed");
        if (hasText == failed) return fail(where + "needs either \"text\" or \"failed\": true");
        if (hasText && !string(r, "text", &row.text, where)) return false;
        // A NUL would cut the text where the box reads it: "40\u00000" would load as 40.
        if (row.text.find('\0') != std::string::npos) return fail(where + "\"text\" holds a NUL character");
        if (hasText && r.contains("words")) {
            const Json& w = r["words"];
            if (!w.is_array() || w.empty() || w.size() > 2)
                return fail(where + "\"words\" must be a list of one or two register words");
            for (const Json& word : w) {
                if (!word.is_number_unsigned() || word.get<unsigned long long>() > 65535)
                    return fail(where + "\"words\" must be whole numbers 0..65535");
                row.words.push_back(static_cast<uint16_t>(word.get<unsigned long long>()));
            }
        }
        if (r.contains("reference")) {
            if (!r["reference"].is_boolean()) return fail(where + "\"reference\" must be true or false");
            row.reference = r["reference"].get<bool>();
        }
        if (failed) {
            if (r["failed"] != true) return fail(where + "\"failed\" must be true");
            row.failed = true;
            if (r.contains("result")) {
                if (!number(r, "result", 255, &n, where)) return false;
                row.result = static_cast<uint8_t>(n);
            }
        }
        if (Find(s.rows, row.label, row.reg))
            return fail(where + "'" + row.label + "' (register " + std::to_string(row.reg) + ") is in the file twice");
        s.rows.push_back(row);
    }
    *out = s;
    return true;
}

}  // namespace

bool SettingsFromJson(const std::string& text, Settings* out, std::string* error) {
    try {
        return FromJson(text, out, error);
    } catch (const std::exception& e) {
        // Whatever the checks above missed is still a refusal, never an abort.
        if (error) *error = std::string("not a settings file: ") + JsonReason(e);
        return false;
    }
}

bool WriteSettingsFile(const std::string& path, const Settings& settings, std::string* error) {
    const std::string text = SettingsToJson(settings);
    const std::string temporary = path + ".partial";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) {
        if (error) *error = temporary + ": " + std::strerror(errno);
        return false;
    }
    // On the disk before it takes the old file's name.
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0;
#ifdef _WIN32
    ok = ok && _commit(_fileno(f)) == 0;
#else
    ok = ok && ::fsync(fileno(f)) == 0;
#endif
    const int saved = errno;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        if (error) *error = temporary + ": " + std::strerror(saved ? saved : errno);
        std::remove(temporary.c_str());
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);  // replaces the old file, on Windows too
    if (ec) {
        if (error) *error = path + ": " + ec.message();
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool ReadSettingsFile(const std::string& path, Settings* settings, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = path + ": " + std::strerror(errno);
        return false;
    }
    std::string text;
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        text.append(buf, static_cast<size_t>(in.gcount()));
        if (text.size() > kSettingsMaxBytes) {
            if (error)
                *error = path + ": not a settings file (larger than " + std::to_string(kSettingsMaxBytes) + " bytes)";
            return false;
        }
    }
    if (in.bad()) {
        if (error) *error = path + ": read error";
        return false;
    }
    std::string why;
    if (!SettingsFromJson(text, settings, &why)) {
        if (error) *error = path + ": " + why;
        return false;
    }
    return true;
}

bool SettingsFitPage(const Settings& file, const pages::DevicePage& page, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (file.page != page.className())
        return fail("the file holds settings of " + file.page + ", not of " + page.className());
    const pages::TypeList* t = TypeListOf(page);
    if (t) {
        const std::string now = page.GetSelectedText(t->id);
        if (file.typeList != t->id)
            return fail("the file does not say which entry of list " + std::to_string(t->id) + " it was saved with");
        if (file.typeEntry != now)
            return fail("the file was saved with '" + file.typeEntry + "' selected in list " + std::to_string(t->id) +
                        ", the page has '" + now + "'");
    } else if (file.typeList) {
        return fail(page.className() + " has no list " + std::to_string(file.typeList));
    }
    const std::vector<SettingRow> rows = SettingRows(page);
    for (const SettingRow& r : file.rows)
        if (!Find(rows, r.label, r.reg))
            return fail("'" + r.label + "' (register " + std::to_string(r.reg) + ") is not a setting of " +
                        page.className());
    return true;
}

std::vector<SettingDifference> CompareSettings(const Settings& file, const Settings& device) {
    std::vector<SettingDifference> out;
    for (const SettingRow& f : file.rows) {
        if (f.failed) continue;
        const SettingRow* d = Find(device.rows, f.label, f.reg);
        if (!d || d->reference) continue;
        if (!d->failed && SameValue(f, *d)) continue;
        out.push_back(SettingDifference{f.label, f.unit, f.text, d->failed ? "" : d->text, d->failed, d->result});
    }
    return out;
}

std::vector<std::string> RowsWithoutValue(const Settings& file) {
    std::vector<std::string> labels;
    for (const SettingRow& r : file.rows)
        if (r.failed) labels.push_back(r.label);
    return labels;
}

std::vector<std::string> ReferenceRows(const Settings& settings) {
    std::vector<std::string> labels;
    for (const SettingRow& r : settings.rows)
        if (r.reference) labels.push_back(r.label);
    return labels;
}

bool SaveKeepsOldFile(const std::string& path, const Settings& settings) {
    bool failed = false;
    for (const SettingRow& r : settings.rows) failed = failed || r.failed;
    std::error_code ec;
    return failed && std::filesystem::is_regular_file(path, ec);
}

std::string BesidePath(const std::string& path) {
    const std::filesystem::path p(path);
    if (!p.has_extension()) return path + ".new";
    std::filesystem::path beside = p;
    beside.replace_extension(".new" + p.extension().string());
    return beside.string();
}

bool SaveSettingsFile(const std::string& path, const Settings& settings, bool replace, std::string* writtenTo,
                      std::string* error) {
    const std::string target = !replace && SaveKeepsOldFile(path, settings) ? BesidePath(path) : path;
    if (writtenTo) *writtenTo = target;
    return WriteSettingsFile(target, settings, error);
}

std::vector<LoadResult> LoadSettings(pages::DevicePage& page, const Settings& file, bool dryRun) {
    using Status = LoadResult::Status;
    const Settings device = ReadSettings(page);
    std::vector<LoadResult> results;
    QuietPage quiet(page);
    const auto* table = dynamic_cast<const pages::TablePage*>(&page);
    for (const SettingsRow& r : RowsOf(page)) {
        const SettingRow* f = Find(file.rows, r.info.label, r.row->reg);
        if (!f) continue;
        const SettingRow* d = Find(device.rows, r.info.label, r.row->reg);
        LoadResult lr;
        lr.label = f->label;
        lr.text = f->text;
        lr.deviceText = d && !d->failed ? d->text : "";
        lr.deviceFailed = !d || d->failed;
        lr.readResult = d ? d->result : kResultNoReply;
        if (r.row->action) {
            lr.status = Status::Reference;  // whatever the file says
        } else if (f->failed) {
            lr.status = Status::NoValue;
        } else if (d && !d->failed && SameValue(*f, *d)) {
            lr.status = Status::Unchanged;
        } else if (dryRun) {
            lr.status = Status::WouldWrite;
        } else {
            // Into the box as the operator would put it there, then Set up.
            const ui::Control& box = page.control(r.info.edit);
            bool placed = true;
            if (box.kind == ui::Kind::ComboBox && !box.editable) {
                auto it = std::find(box.items.begin(), box.items.end(), f->text);
                if (it == box.items.end()) {
                    placed = false;
                    lr.status = Status::Failed;
                    lr.code = kLoadRefused;
                    lr.message = "the list has no entry '" + f->text + "'";
                } else {
                    page.SelectCombo(r.info.edit, static_cast<int>(it - box.items.begin()));
                }
            } else {
                // The words' own text where there is one: "%f" of a float drops digits.
                const std::string exact = f->words.empty() || !table ? "" : TextOfWords(*table, *r.row, *f);
                page.TypeText(r.info.edit, exact.empty() ? f->text : exact);
            }
            if (placed) {
                const size_t shown = quiet.recorder().messages.size();
                int writes = 0;
                uint8_t failure = kResultOk;
                {
                    OutcomeTap tap(page.link(), [&](const Outcome& outcome) {
                        if (outcome.function == fn::kReadHolding) return;
                        ++writes;
                        if (outcome.result() != kResultOk && failure == kResultOk) failure = outcome.result();
                    });
                    page.Click(r.info.setup);
                }
                const auto& messages = quiet.recorder().messages;
                if (messages.size() > shown) lr.message = WithoutCr(messages.back().request.text);
                if (writes > 0 && failure == kResultOk) {
                    lr.status = Status::Written;
                } else {
                    lr.status = Status::Failed;
                    lr.code = writes > 0 ? failure : kLoadRefused;
                    if (lr.message.empty())
                        lr.message = page.IsEnabled(r.info.setup) ? "nothing was written" : "its Set up is locked";
                }
            }
        }
        results.push_back(lr);
    }
    return results;
}

}  // namespace veltrano::app
