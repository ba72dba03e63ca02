#include "app/settings_file.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
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
    uint16_t reg = 0;
};

std::vector<SettingsRow> RowsOf(const pages::DevicePage& page) {
    std::vector<SettingsRow> rows;
    const auto* table = dynamic_cast<const pages::TablePage*>(&page);
    if (!table) return rows;  // no table, no registers to name
    // Rows that follow a reduced "Sensor Type" are not this device's.
    const bool reduced = table->TypeReduced();
    for (const auto& info : page.Rows()) {
        if (!info.inquire || !info.setup) continue;
        const pages::Row* row = table->RowOfEdit(info.edit);
        if (row && !(row->follows && reduced)) rows.push_back(SettingsRow{info, row->reg});
    }
    return rows;
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
    for (const SettingsRow& r : RowsOf(page)) rows.push_back(SettingRow{r.info.label, r.info.unit, r.reg});
    return rows;
}

Settings ReadSettings(pages::DevicePage& page) {
    Link& link = page.link();
    Settings s;
    s.page = page.className();
    s.address = link.deviceAddress;
    s.baud = link.port.baudRate();
    s.time = IsoTime(std::chrono::system_clock::now());
    if (const pages::TypeList* t = TypeListOf(page)) {
        s.typeList = t->id;
        s.typeEntry = page.GetSelectedText(t->id);
    }
    const std::vector<SettingsRow> rows = RowsOf(page);
    std::vector<std::pair<uint16_t, uint8_t>> reads;
    {
        QuietPage quiet(page);
        OutcomeTap tap(link, [&](uint8_t function, uint16_t reg, uint8_t result) {
            if (function == fn::kReadHolding) reads.emplace_back(reg, result);
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
        SettingRow row{r.info.label, r.info.unit, r.reg};
        bool read = false;
        uint8_t result = kResultOk;
        for (const auto& [reg, res] : reads) {
            if (reg != r.reg) continue;
            read = true;
            if (res != kResultOk && result == kResultOk) result = res;
        }
        if (!read) result = link.portOpen ? kResultNoReply : kResultPortClosed;  // refused before a request
        if (result == kResultOk) {
            row.text = page.GetItemText(r.info.edit);
        } else {
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
        }
        rows.push_back(row);
    }
    j["rows"] = rows;
    // Texts come from the device's formatting and our own tables; should a
    // byte ever not be UTF-8 it is replaced rather than failing the save.
    return j.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool SettingsFromJson(const std::string& text, Settings* out, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    Json j;
    try {
        j = Json::parse(text);
    } catch (const Json::parse_error& e) {
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
            if (error) *error = path + ": not a settings file (larger than " + std::to_string(kSettingsMaxBytes) + " bytes)";
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
        if (!d) continue;
        if (!d->failed && d->text == f.text) continue;
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

std::vector<LoadResult> LoadSettings(pages::DevicePage& page, const Settings& file, bool dryRun) {
    using Status = LoadResult::Status;
    const Settings device = ReadSettings(page);
    std::vector<LoadResult> results;
    QuietPage quiet(page);
    for (const SettingsRow& r : RowsOf(page)) {
        const SettingRow* f = Find(file.rows, r.info.label, r.reg);
        if (!f) continue;
        const SettingRow* d = Find(device.rows, r.info.label, r.reg);
        LoadResult lr;
        lr.label = f->label;
        lr.text = f->text;
        lr.deviceText = d && !d->failed ? d->text : "";
        lr.deviceFailed = !d || d->failed;
        lr.readResult = d ? d->result : kResultNoReply;
        if (f->failed) {
            lr.status = Status::NoValue;
        } else if (d && !d->failed && d->text == f->text) {
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
                page.TypeText(r.info.edit, f->text);
            }
            if (placed) {
                const size_t shown = quiet.recorder().messages.size();
                int writes = 0;
                uint8_t failure = kResultOk;
                {
                    OutcomeTap tap(page.link(), [&](uint8_t function, uint16_t, uint8_t result) {
                        if (function == fn::kReadHolding) return;
                        ++writes;
                        if (result != kResultOk && failure == kResultOk) failure = result;
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
