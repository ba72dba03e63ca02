#include "cli/commands.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "app/categories.h"
#include "app/main_dialog.h"
#include "app/main_ids.h"
#include "cli/numbers.h"
#include "ui/recording_host.h"
#include "modbus/frames.h"
#include "modbus/modbus_helper.h"
#include "pages/page_registry.h"
#include "serial/rx_pump.h"

namespace veltrano::cli {
namespace {

constexpr const char* kUsage =
    "usage: veltrano-cli [--port PATH] [--baud N] [--address N] [--trace] COMMAND\n"
    "commands: read REG | read32 REG | readfloat REG | write REG VALUE | write32 REG VALUE\n"
    "          | writefloat REG VALUE | writepair REG V1 V2\n"
    "          | scan | inquire | set-address N | set-baud N\n"
    "          | page list | page NAME inquire | page NAME poll | page NAME set LABEL [VALUE]\n"
    "page options: --select ID=ITEM chooses the entry ITEM of list ID first (repeatable)\n"
    "without --port: the one USB adapter, if exactly one is plugged in\n";

struct Options {
    std::string port;
    uint32_t baud = 9600;
    uint8_t address = 1;
    bool trace = false;
    std::vector<std::pair<int, std::string>> selects;  // --select ID=ITEM, in order
    std::vector<std::string> command;
};

int Usage(FILE* err, const std::string& why) {
    std::fprintf(err, "veltrano-cli: %s\n", why.c_str());
    std::fputs(kUsage, err);
    return kUsageError;
}

// Every request the link writes is counted; with --trace it is printed too.
void Observe(Link& link, bool trace, FILE* err, int* requests) {
    link.trace = [trace, err, requests](const char* dir, const uint8_t* b, uint16_t n) {
        if (std::strncmp(dir, "TX", 2) == 0 && requests) ++*requests;
        if (!trace) return;
        if (n == 0) std::fprintf(err, "%s\n", dir);
        else std::fprintf(err, "%s %s\n", dir, HexBytes(b, n).c_str());
    };
}

// Opens the port at the rate given and addresses the device given; a port
// that will not open is said on stderr, and the transactions then report 1.
void OpenAsGiven(Link& link, const Options& o, FILE* err) {
    if (!link.Reopen(o.port, o.baud))
        std::fprintf(err, "Serial port open failed! %s: %s\n", o.port.c_str(), link.port.OpenErrorText().c_str());
    link.deviceAddress = o.address;
}

// A link with its receive thread running, opened on the port.
class Session {
public:
    Session(const Options& o, FILE* err) : pump_(link_) {
        link_.ResetReceiveState();
        pump_.Start();
        Observe(link_, o.trace, err, nullptr);
        OpenAsGiven(link_, o, err);
    }
    ~Session() {
        link_.portOpen = false;
        pump_.Stop();
        link_.port.Close();
    }
    Link& link() { return link_; }

private:
    Link link_;
    RxPump pump_;
};

int Finish(ResultCode r, const Link& link, FILE* err) {
    if (r == kResultOk) return r;
    uint8_t function = 0, code = 0;
    if (link.replyLength > 0 && IsExceptionReply(link.rxBuffer, link.replyLength, &function, &code)) {
        const char* name = ExceptionName(code);
        std::fprintf(err, "veltrano-cli: result %d: the device refused function %02X with exception %02X%s%s%s\n", r,
                     function, code, *name ? " (" : "", name, *name ? ")" : "");
    } else {
        std::fprintf(err, "veltrano-cli: result %d: %s\n", r, DescribeResult(r));
    }
    return r;
}

std::string ShortestFloat(float f) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, f);
    return std::string(buf, res.ptr);
}

// --- checking a command before any port is looked for ---

bool IsRegisterCommand(const std::string& name) {
    for (const char* c : {"read", "read32", "readfloat", "write", "write32", "writefloat", "writepair"})
        if (name == c) return true;
    return false;
}

// What a command line asks for, checked. `refused` is set for a value no
// device may be sent (exit kRefusedInput), `why` for a usage error.
struct Checked {
    std::string why;
    std::string refused;
    uint16_t reg = 0;
    uint16_t v16[2] = {0, 0};
    uint32_t v32 = 0;
    float single = 0;
    long long number = 0;
};

Checked CheckRegisterCommand(const std::vector<std::string>& c) {
    Checked k;
    const std::string& name = c[0];
    const bool write = name.rfind("write", 0) == 0;
    const size_t want = name == "writepair" ? 3 : write ? 2 : 1;
    const char* shape = name == "writepair"    ? "REG V1 V2"
                        : name == "writefloat" ? "REG VALUE (a decimal number)"
                        : write                ? "REG VALUE"
                                               : "REG";
    if (c.size() != want + 1) {
        k.why = name + " takes " + (want == 1 ? "one argument" : want == 2 ? "two arguments" : "three arguments") +
                ": " + shape;
        return k;
    }
    if (!ParseRegister(c[1], &k.reg)) {
        k.why = "REG must be 0..65535 (decimal or 0x hex), not '" + c[1] + "'";
        return k;
    }
    if (name == "write" && !ParseValue16(c[2], &k.v16[0]))
        k.why = "VALUE must fit 16 bits (-32768..65535), not '" + c[2] + "'";
    if (name == "write32" && !ParseValue32(c[2], &k.v32))
        k.why = "VALUE must fit 32 bits (-2147483648..4294967295), not '" + c[2] + "'";
    if (name == "writepair" && (!ParseValue16(c[2], &k.v16[0]) || !ParseValue16(c[3], &k.v16[1])))
        k.why = "V1 and V2 must fit 16 bits (-32768..65535)";
    if (name == "writefloat" && !ParseSingle(c[2], &k.single))
        k.why = "VALUE must be a decimal number a single-precision float can hold, not '" + c[2] + "'";
    return k;
}

Checked CheckConsoleCommand(const std::vector<std::string>& c) {
    Checked k;
    const std::string& name = c[0];
    if (name == "scan" || name == "inquire") {
        if (c.size() != 1) k.why = name + " takes no arguments";
        return k;
    }
    if (c.size() != 2 || !ParseInteger(c[1], &k.number)) {
        k.why = name + " needs one number: " + (name == "set-address" ? "the new address, 1..255" : "2400, 4800 or 9600");
        return k;
    }
    // The panel's own refusals, made before the scan so that nothing is sent.
    if (name == "set-address" && (k.number & 0xFF) == 0) k.refused = app::kAddressZeroText;
    else if (name == "set-address" && (k.number < 1 || k.number > 255)) k.refused = app::kAddressRangeText;
    if (name == "set-baud" && k.number != 2400 && k.number != 4800 && k.number != 9600)
        k.refused = app::kBaudErrorText;
    return k;
}

// The rows of a page with a Set up, its command buttons, and the one a LABEL
// (or an edit's or button's id) names.
std::vector<pages::DevicePage::RowInfo> SetUps(const pages::DevicePage& page) {
    std::vector<pages::DevicePage::RowInfo> rows;
    for (const auto& row : page.Rows())
        if (row.setup) rows.push_back(row);
    for (const auto& row : page.Commands()) rows.push_back(row);
    return rows;
}

const pages::DevicePage::RowInfo* FindRow(const std::vector<pages::DevicePage::RowInfo>& rows,
                                          const std::string& label, int* matches) {
    const pages::DevicePage::RowInfo* target = nullptr;
    *matches = 0;
    for (const auto& row : rows) {
        const bool byId = (row.edit && std::to_string(row.edit) == label) || std::to_string(row.setup) == label;
        if (row.label == label || byId) {
            target = &row;
            ++*matches;
        }
    }
    return target;
}

Checked CheckPageCommand(const std::vector<std::string>& c) {
    Checked k;
    if (c.size() == 2 && c[1] == "list") return k;
    const bool read = c.size() == 3 && (c[2] == "inquire" || c[2] == "poll");
    const bool set = (c.size() == 4 || c.size() == 5) && c[2] == "set";
    if (!read && !set) {
        k.why = "page takes: list | NAME inquire | NAME poll | NAME set LABEL [VALUE]";
        return k;
    }
    const pages::PageInfo* info = pages::FindPage(c[1]);
    if (!info) {
        k.why = "no page '" + c[1] + "' (see: page list)";
        return k;
    }
    if (!set) return k;
    Link scratch;  // the page is built only to read its rows
    const auto rows = SetUps(*pages::MakePage(info->templateId, scratch));
    int matches = 0;
    const pages::DevicePage::RowInfo* row = FindRow(rows, c[3], &matches);
    if (matches == 1) {
        if (row->edit && c.size() == 4) k.why = "'" + c[3] + "' needs a VALUE";
        if (!row->edit && c.size() == 5) k.why = "'" + c[3] + "' is a command button: it takes no VALUE";
        return k;
    }
    std::string labels;
    for (const auto& r : rows) labels += (labels.empty() ? "" : ", ") + r.label;
    k.why = matches ? "'" + c[3] + "' names more than one row"
                    : "no row '" + c[3] + "' with a Set up on " + c[1] +
                          (labels.empty() ? " (it has none)" : " (rows: " + labels + ")");
    return k;
}

Checked CheckCommand(const std::vector<std::string>& c) {
    const std::string& name = c[0];
    if (IsRegisterCommand(name)) return CheckRegisterCommand(c);
    if (name == "scan" || name == "inquire" || name == "set-address" || name == "set-baud")
        return CheckConsoleCommand(c);
    if (name == "page") return CheckPageCommand(c);
    Checked k;
    k.why = "unknown command '" + name + "'";
    return k;
}

// --- running ---

int RegisterCommand(const Options& o, const Checked& k, FILE* out, FILE* err) {
    const std::string& name = o.command[0];
    Session s(o, err);
    ModbusHelper m(s.link());
    if (name == "read") {
        int16_t v = 0;
        const ResultCode r = m.ReadRegister(k.reg, &v);
        if (r == kResultOk) std::fprintf(out, "%u\n", static_cast<unsigned>(static_cast<uint16_t>(v)));
        return Finish(r, s.link(), err);
    }
    if (name == "read32") {
        uint32_t v = 0;
        const ResultCode r = m.ReadRegister32(k.reg, &v);
        if (r == kResultOk) std::fprintf(out, "%u\n", v);
        return Finish(r, s.link(), err);
    }
    if (name == "readfloat") {
        float f = 0;
        const ResultCode r = m.ReadFloat(k.reg, &f);
        if (r == kResultOk) std::fprintf(out, "%s\n", ShortestFloat(f).c_str());
        return Finish(r, s.link(), err);
    }
    if (name == "write") return Finish(m.WriteRegister(k.reg, k.v16[0]), s.link(), err);
    if (name == "write32") return Finish(m.WriteRegister32(k.reg, k.v32), s.link(), err);
    if (name == "writepair") return Finish(m.WriteRegisterPair(k.reg, k.v16[0], k.v16[1]), s.link(), err);
    uint32_t bits;
    std::memcpy(&bits, &k.single, sizeof bits);
    return Finish(m.WriteRegister32(k.reg, bits), s.link(), err);
}

// Message boxes of the console, recorded, and printed once the command
// knows whether it succeeded: stdout then, stderr otherwise.
class PrintingHost : public ui::RecordingHost {
public:
    void Print(FILE* to) {
        for (size_t i = printed_; i < messages.size(); ++i) {
            std::string text;
            for (char ch : messages[i].request.text)
                if (ch != '\r') text += ch;  // the texts break lines with CR LF
            std::fprintf(to, "%s\n", text.c_str());
        }
        printed_ = messages.size();
    }

private:
    size_t printed_ = 0;
};

// The console's main window without a screen, on the one port given.
class Console {
public:
    Console(const Options& o, FILE* err) {
        app::MainOptions mo;
        mo.leadingPorts.push_back(PortEntry{o.port, ""});
        mo.listPorts = [] { return std::vector<PortEntry>{}; };
        main_ = std::make_unique<app::MainDialog>(link_, mo);
        Observe(link_, o.trace, err, &requests_);
        main_->SetHost(&host_);
        main_->Initialize();
    }
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

int ScanCode(app::BaudRateTest::Outcome o) {
    using O = app::BaudRateTest::Outcome;
    return o == O::PortFailed ? 1 : o == O::NothingFound ? 2 : 0;
}

// scan, inquire, set-address, set-baud: the main window's own operations.
int ConsoleCommand(const Options& o, const Checked& k, FILE* out, FILE* err) {
    const std::string& name = o.command[0];
    Console console(o, err);
    const int scanned = ScanCode(console.main().scan().Run());
    if (name == "scan") {
        console.host().Print(scanned == 0 ? out : err);
        return scanned;
    }
    // The panel works once a test has found the device.
    console.host().Print(err);
    if (scanned != 0) return scanned;
    app::MainDialog& m = console.main();
    if (name == "inquire") {
        m.Click(app::kInquireAddress);
        const std::string address = m.GetItemText(app::kAddressEdit), baud = m.GetItemText(app::kBaudEdit);
        if (address == " ") {
            std::fputs("No answer to the inquiry.\n", err);
            return 2;
        }
        std::fprintf(out, "address %s\nbaud %s\n", address.c_str(), baud.c_str());
        return 0;
    }
    const int before = console.requests();
    const size_t shownBefore = console.host().messages.size();
    const std::string typed = std::to_string(k.number);  // "0x10" reaches the panel as 16
    if (name == "set-address") {
        m.TypeText(app::kAddressEdit, typed);
        m.Click(app::kSetAddress);
    } else {
        m.TypeText(app::kBaudEdit, typed);
        m.Click(app::kSetBaud);
    }
    const auto& shown = console.host().messages;
    const bool ok = shown.size() > shownBefore && shown.back().request.text.find("successfully") != std::string::npos;
    const int code = ok ? 0 : console.requests() == before ? kRefusedInput : 2;
    console.host().Print(code == 0 ? out : err);
    return code;
}

// page list | page NAME inquire | page NAME set LABEL VALUE: a device page
// run headless, at the rate and address given (no scan).
// The entry of list `id` whose text is `item`; -1 (with the reason) otherwise.
int ListEntry(const pages::DevicePage& page, int id, const std::string& item, std::string* why) {
    if (!page.Has(id) || page.control(id).kind != ui::Kind::ComboBox) {
        std::string lists;
        for (int c : page.controlOrder())
            if (page.control(c).kind == ui::Kind::ComboBox) lists += (lists.empty() ? "" : ", ") + std::to_string(c);
        *why = "no list " + std::to_string(id) + " on " + page.className() +
               (lists.empty() ? " (it has none)" : " (lists: " + lists + ")");
        return -1;
    }
    const auto& items = page.control(id).items;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == item) return static_cast<int>(i);
    std::string known;
    for (const auto& i : items) known += (known.empty() ? "'" : ", '") + i + "'";
    *why = "list " + std::to_string(id) + " has no entry '" + item + "' (entries: " + known + ")";
    return -1;
}

// Every value the page shows: rows read from the device (an Inquire, or no
// button at all, like a direction name); boxes only typed into are left out.
void PrintRows(const pages::DevicePage& page, FILE* out) {
    for (const auto& row : page.Rows())
        if (row.inquire || !row.setup)
            std::fprintf(out, "%s\t%s\t%s\n", row.label.c_str(), page.GetItemText(row.edit).c_str(), row.unit.c_str());
}

// page list | page NAME inquire | page NAME poll | page NAME set LABEL [VALUE]:
// a device page run headless, at the rate and address given (no scan).
int PageCommand(const Options& o, FILE* out, FILE* err) {
    const std::vector<std::string>& c = o.command;
    if (c[1] == "list") {
        for (const app::CategoryInfo& cat : app::AllCategories()) {
            if (cat.subTabs.empty()) {
                const pages::PageInfo* p = pages::FindPage(cat.templateId);
                std::fprintf(out, "%s\t%s\t-\n", p->className, cat.label);
            }
            for (const app::SubTab& sub : cat.subTabs)
                std::fprintf(out, "%s\t%s\t%s\n", pages::FindPage(sub.pageTemplate)->className, cat.label, sub.label);
        }
        return 0;
    }
    Console console(o, err);
    Link& link = console.link();
    pages::DevicePage* page = console.main().ShowPage(c[1]);
    // Lists are chosen as a click would, notification included, before anything is sent.
    for (const auto& [id, item] : o.selects) {
        std::string why;
        const int index = ListEntry(*page, id, item, &why);
        if (index < 0) return Usage(err, why);
        page->SelectCombo(id, index);
    }
    OpenAsGiven(link, o, err);
    console.host().Print(err);
    if (page->Rows().empty() && page->Commands().empty()) {
        std::fprintf(err, "%s has no readings in this version.\n", c[1].c_str());
        return kUsageError;
    }
    if (c[2] == "inquire") {
        const size_t before = console.host().messages.size();
        // Each button once: a button that fills several boxes reads them all.
        std::vector<int> pressed;
        for (const auto& row : page->Rows()) {
            if (!row.inquire || std::find(pressed.begin(), pressed.end(), row.inquire) != pressed.end()) continue;
            pressed.push_back(row.inquire);
            page->Click(row.inquire);
        }
        console.host().Print(err);
        PrintRows(*page, out);
        if (!link.portOpen) return kResultPortClosed;
        return console.host().messages.size() == before ? 0 : 2;
    }
    if (c[2] == "poll") {
        // One tick of the page's real-time read set; its reads are silent, so
        // the exit status comes from how the transactions ended.
        ResultCode worst = kResultOk;
        int reads = 0;
        link.outcome = [&](uint8_t, uint16_t, uint8_t r) {
            ++reads;
            if (r != kResultOk && (worst == kResultOk || r < worst)) worst = r;
        };
        page->RunRealTimeReadSet();
        link.outcome = nullptr;
        PrintRows(*page, out);
        if (reads == 0) std::fprintf(err, "%s reads nothing in real time.\n", c[1].c_str());
        if (worst != kResultOk) std::fprintf(err, "veltrano-cli: result %d: %s\n", worst, DescribeResult(worst));
        return worst;
    }
    int matches = 0;
    const auto rows = SetUps(*page);
    const pages::DevicePage::RowInfo* target = FindRow(rows, c[3], &matches);
    if (target->edit && page->control(target->edit).kind == ui::Kind::ComboBox && !page->control(target->edit).editable) {
        std::string why;
        const int index = ListEntry(*page, target->edit, c[4], &why);
        if (index < 0) return Usage(err, why);
        page->SelectCombo(target->edit, index);
    } else if (target->edit) {
        page->TypeText(target->edit, c[4]);
    }
    const int before = console.requests();
    const size_t shownBefore = console.host().messages.size();
    page->Click(target->setup);
    const bool shown = console.host().messages.size() > shownBefore;
    // Every success message of the pages has an empty caption; every failure a "Warning".
    int code = 2;
    if (shown && console.host().last()->request.caption.empty()) code = 0;
    else if (!link.portOpen) code = kResultPortClosed;
    else if (shown && console.requests() == before) code = kRefusedInput;  // the page refused the value
    console.host().Print(code == 0 ? out : err);
    return code;
}

// The port when none is given: the USB adapter, when exactly one is
// plugged in. Never an on-board port or another device's.
bool ChoosePort(Options& o, const PortLister& listPorts, FILE* err) {
    const std::vector<PortEntry> all = listPorts();
    const std::vector<PortEntry> usb = UsbAdapters(all);
    if (usb.size() == 1) {
        o.port = usb[0].path;
        std::fprintf(err, "veltrano-cli: using %s, the one USB adapter\n", usb[0].Label().c_str());
        return true;
    }
    std::string found;
    for (const PortEntry& p : usb.empty() ? all : usb) found += (found.empty() ? "" : ", ") + p.path;
    if (usb.empty())
        std::fprintf(err, "Serial port open failed! No USB adapter found%s; give the port with --port PATH.\n",
                     found.empty() ? "" : (" (other ports: " + found + ")").c_str());
    else
        std::fprintf(err, "Serial port open failed! %zu USB adapters found (%s); choose one with --port PATH.\n",
                     usb.size(), found.c_str());
    return false;
}

}  // namespace

int Run(const std::vector<std::string>& args, FILE* out, FILE* err) {
    return Run(args, out, err, [] { return ListSerialPorts(); });
}

int Run(const std::vector<std::string>& args, FILE* out, FILE* err, const PortLister& listPorts) {
    Options o;
    bool portGiven = false;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) break;
        const bool hasValue = i + 1 < args.size();
        long long n;
        if (a == "--help") {
            std::fputs(kUsage, out);
            return 0;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--port") {
            if (!hasValue || args[i + 1].empty()) return Usage(err, "--port needs a PATH");
            o.port = args[++i];
            portGiven = true;
        } else if (a == "--baud") {
            if (!hasValue || !ParseInteger(args[i + 1], &n) || n <= 0 || n >= 100000000)
                return Usage(err, "--baud needs a rate in bits per second");
            o.baud = static_cast<uint32_t>(n);
            ++i;
        } else if (a == "--select") {
            const std::string v = hasValue ? args[i + 1] : "";
            const size_t eq = v.find('=');
            if (eq == std::string::npos || !ParseInteger(v.substr(0, eq), &n) || n <= 0 || n > 65535)
                return Usage(err, "--select needs ID=ITEM: a list's control id and the text of one of its entries");
            o.selects.emplace_back(static_cast<int>(n), v.substr(eq + 1));
            ++i;
        } else if (a == "--address") {
            if (!hasValue || !ParseInteger(args[i + 1], &n) || n < 0 || n > 255)
                return Usage(err, "--address needs a number 0..255");
            o.address = static_cast<uint8_t>(n);
            ++i;
        } else {
            return Usage(err, "bad option '" + a + "'");
        }
    }
    o.command.assign(args.begin() + static_cast<long>(i), args.end());
    if (o.command.empty()) return Usage(err, "no command");
    const Checked k = CheckCommand(o.command);
    if (!k.why.empty()) return Usage(err, k.why);
    if (!o.selects.empty() && (o.command[0] != "page" || o.command[1] == "list"))
        return Usage(err, "--select goes with a page command");
    if (!k.refused.empty()) {
        std::fprintf(err, "%s\n", k.refused.c_str());
        return kRefusedInput;
    }
    const bool pageList = o.command[0] == "page" && o.command[1] == "list";
    if (!portGiven && !pageList && !ChoosePort(o, listPorts, err)) return kResultPortClosed;
    if (o.command[0] == "page") return PageCommand(o, out, err);
    if (IsRegisterCommand(o.command[0])) return RegisterCommand(o, k, out, err);
    return ConsoleCommand(o, k, out, err);
}

}  // namespace veltrano::cli
