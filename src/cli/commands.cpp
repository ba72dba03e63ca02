#include "cli/commands.h"

#include <charconv>
#include <cmath>
#include <cfloat>
#include <cstring>

#include "app/categories.h"
#include "app/main_dialog.h"
#include "app/main_ids.h"
#include "cli/numbers.h"
#include "ui/recording_host.h"
#include "modbus/frames.h"
#include "modbus/modbus_helper.h"
#include "pages/page_registry.h"
#include "serial/port_list.h"
#include "serial/rx_pump.h"

namespace veltrano::cli {
namespace {

constexpr const char* kUsage =
    "usage: veltrano-cli [--port PATH] [--baud N] [--address N] [--trace] COMMAND\n"
    "commands: read REG | read32 REG | readfloat REG | write REG VALUE | write32 REG VALUE\n"
    "          | writefloat REG VALUE | writepair REG V1 V2\n"
    "          | scan | inquire | set-address N | set-baud N\n"
    "          | page list | page NAME inquire | page NAME set LABEL VALUE\n";

struct Options {
    std::string port;
    uint32_t baud = 9600;
    uint8_t address = 1;
    bool trace = false;
    std::vector<std::string> command;
};

int Usage(FILE* err, const std::string& why = "") {
    if (!why.empty()) std::fprintf(err, "veltrano-cli: %s\n", why.c_str());
    std::fputs(kUsage, err);
    return kUsageError;
}

void TraceTo(Link& link, FILE* err) {
    link.trace = [err](const char* dir, const uint8_t* b, uint16_t n) {
        std::fprintf(err, "%s %s\n", dir, HexBytes(b, n).c_str());
    };
}

// Opens the port at the rate given and addresses the device given; a port
// that will not open is said on stderr, and the transactions then report 1.
void OpenAsGiven(Link& link, const Options& o, FILE* err) {
    if (!link.Reopen(o.port, o.baud))
        std::fprintf(err, "Serial port open failed! %s: %s\n", o.port.c_str(),
                     DescribeOpenError(link.port.lastOpenError()));
    link.deviceAddress = o.address;
}

// A link with its receive thread running, opened on the port.
class Session {
public:
    Session(const Options& o, FILE* err) : pump_(link_) {
        link_.ResetReceiveState();
        pump_.Start();
        if (o.trace) TraceTo(link_, err);
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

int Finish(ResultCode r, FILE* err) {
    if (r != kResultOk) std::fprintf(err, "veltrano-cli: result %d: %s\n", r, DescribeResult(r));
    return r;
}

std::string ShortestFloat(float f) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, f);
    return std::string(buf, res.ptr);
}

int RegisterCommand(const Options& o, FILE* out, FILE* err) {
    const std::vector<std::string>& c = o.command;
    const std::string& name = c[0];
    auto need = [&](size_t n) { return c.size() == n + 1; };
    uint16_t reg = 0;
    if (c.size() < 2 || !ParseRegister(c[1], &reg)) return Usage(err, "REG must be 0..65535 (decimal or 0x hex)");

    if (name == "read" || name == "read32" || name == "readfloat") {
        if (!need(1)) return Usage(err);
        Session s(o, err);
        ModbusHelper m(s.link());
        if (name == "read") {
            int16_t v = 0;
            const ResultCode r = m.ReadRegister(reg, &v);
            if (r == kResultOk) std::fprintf(out, "%u\n", static_cast<unsigned>(static_cast<uint16_t>(v)));
            return Finish(r, err);
        }
        if (name == "read32") {
            uint32_t v = 0;
            const ResultCode r = m.ReadRegister32(reg, &v);
            if (r == kResultOk) std::fprintf(out, "%u\n", v);
            return Finish(r, err);
        }
        float f = 0;
        const ResultCode r = m.ReadFloat(reg, &f);
        if (r == kResultOk) std::fprintf(out, "%s\n", ShortestFloat(f).c_str());
        return Finish(r, err);
    }
    if (name == "write") {
        uint16_t v;
        if (!need(2) || !ParseValue16(c[2], &v)) return Usage(err, "VALUE must fit 16 bits");
        Session s(o, err);
        return Finish(ModbusHelper(s.link()).WriteRegister(reg, v), err);
    }
    if (name == "write32") {
        uint32_t v;
        if (!need(2) || !ParseValue32(c[2], &v)) return Usage(err, "VALUE must fit 32 bits");
        Session s(o, err);
        return Finish(ModbusHelper(s.link()).WriteRegister32(reg, v), err);
    }
    if (name == "writefloat") {
        double d;
        if (!need(2) || !ParseDouble(c[2], &d) || !std::isfinite(d) || std::fabs(d) > FLT_MAX)
            return Usage(err, "VALUE must be a number a single-precision float can hold");
        const float f = static_cast<float>(d);
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        Session s(o, err);
        return Finish(ModbusHelper(s.link()).WriteRegister32(reg, bits), err);
    }
    if (name == "writepair") {
        uint16_t a, b;
        if (!need(3) || !ParseValue16(c[2], &a) || !ParseValue16(c[3], &b))
            return Usage(err, "V1 and V2 must fit 16 bits");
        Session s(o, err);
        return Finish(ModbusHelper(s.link()).WriteRegisterPair(reg, a, b), err);
    }
    return Usage(err, "unknown command '" + name + "'");
}

// Message boxes of the console, printed instead of shown.
class PrintingHost : public ui::RecordingHost {
public:
    explicit PrintingHost(FILE* to) : to_(to) {}
    int ShowMessage(ui::Dialog& owner, const ui::MessageBoxRequest& request) override {
        std::string text;
        for (char ch : request.text)
            if (ch != '\r') text += ch;  // the texts break lines with CR LF
        std::fprintf(to_, "%s\n", text.c_str());
        return RecordingHost::ShowMessage(owner, request);
    }
    FILE* to_;
};

// The console's main window without a screen, on the one port given.
class Console {
public:
    Console(const Options& o, FILE* messages, FILE* err) : host_(messages) {
        app::MainOptions mo;
        mo.leadingPorts.push_back(PortEntry{o.port, ""});
        mo.listPorts = [] { return std::vector<PortEntry>{}; };
        main_ = std::make_unique<app::MainDialog>(link_, mo);
        if (o.trace) TraceTo(link_, err);
        main_->SetHost(&host_);
        main_->Initialize();
    }
    app::MainDialog& main() { return *main_; }
    Link& link() { return link_; }
    PrintingHost& host() { return host_; }
    void Messages(FILE* to) { host_.to_ = to; }

private:
    Link link_;
    PrintingHost host_;
    std::unique_ptr<app::MainDialog> main_;
};

int ScanCode(app::BaudRateTest::Outcome o) {
    using O = app::BaudRateTest::Outcome;
    return o == O::PortFailed ? 1 : o == O::NothingFound ? 2 : 0;
}

// scan, inquire, set-address, set-baud: the main window's own operations.
// Returns -1 for a command that is not one of them.
int ConsoleCommand(const Options& o, FILE* out, FILE* err) {
    const std::vector<std::string>& c = o.command;
    const std::string& name = c[0];
    long long n = 0;
    if (name == "scan") {
        if (c.size() != 1) return Usage(err);
        Console console(o, out, err);
        return ScanCode(console.main().scan().Run());
    }
    if (name != "inquire" && name != "set-address" && name != "set-baud") return -1;
    if (name == "inquire" ? c.size() != 1 : (c.size() != 2 || !ParseInteger(c[1], &n)))
        return Usage(err, name == "inquire" ? "" : name + " needs a number");

    // The panel works once a test has found the device.
    Console console(o, err, err);
    const int scanned = ScanCode(console.main().scan().Run());
    if (scanned != 0) return scanned;
    console.Messages(out);
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
    const size_t before = console.host().messages.size();
    if (name == "set-address") {
        m.TypeText(app::kAddressEdit, c[1]);
        m.Click(app::kSetAddress);
    } else {
        m.TypeText(app::kBaudEdit, c[1]);
        m.Click(app::kSetBaud);
    }
    const auto& shown = console.host().messages;
    const bool ok = shown.size() > before && shown.back().request.text.find("successfully") != std::string::npos;
    return ok ? 0 : 2;
}

// page list | page NAME inquire | page NAME set LABEL VALUE: a device page
// run headless, at the rate and address given (no scan).
int PageCommand(const Options& o, FILE* out, FILE* err) {
    const std::vector<std::string>& c = o.command;
    if (c.size() == 2 && c[1] == "list") {
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
    const bool inquire = c.size() == 3 && c[2] == "inquire";
    const bool set = c.size() == 5 && c[2] == "set";
    if (!inquire && !set) return Usage(err, "page list | page NAME inquire | page NAME set LABEL VALUE");
    if (!pages::FindPage(c[1])) return Usage(err, "no page '" + c[1] + "' (see: page list)");

    Console console(o, err, err);
    Link& link = console.link();
    OpenAsGiven(link, o, err);
    pages::DevicePage* page = console.main().ShowPage(c[1]);
    const auto rows = page->Rows();
    if (rows.empty()) {
        std::fprintf(err, "%s has no readings in this version.\n", c[1].c_str());
        return 2;
    }
    if (inquire) {
        const size_t before = console.host().messages.size();
        for (const auto& row : rows) {
            if (!row.inquire) continue;
            page->Click(row.inquire);
            std::fprintf(out, "%s\t%s\t%s\n", row.label.c_str(), page->GetItemText(row.edit).c_str(), row.unit.c_str());
        }
        if (!link.portOpen) return kResultPortClosed;
        return console.host().messages.size() == before ? 0 : 2;
    }
    // The row by its label, or by its edit box's control id.
    const pages::DevicePage::RowInfo* target = nullptr;
    int matches = 0;
    for (const auto& row : rows) {
        if (!row.setup) continue;
        if (row.label == c[3] || std::to_string(row.edit) == c[3]) {
            target = &row;
            ++matches;
        }
    }
    if (matches != 1) {
        std::string labels;
        for (const auto& row : rows)
            if (row.setup) labels += (labels.empty() ? "" : ", ") + row.label;
        return Usage(err, matches ? "'" + c[3] + "' names more than one row"
                                  : "no row '" + c[3] + "' with a Set up on " + c[1] +
                                        (labels.empty() ? " (it has none)" : " (rows: " + labels + ")"));
    }
    console.Messages(out);
    page->TypeText(target->edit, c[4]);
    page->Click(target->setup);
    const auto* shown = console.host().last();
    if (!shown) return 2;
    if (shown->request.text == "Write Successfully") return 0;
    return link.portOpen ? 2 : kResultPortClosed;
}

}  // namespace

int Run(const std::vector<std::string>& args, FILE* out, FILE* err) {
    Options o;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) break;
        long long n;
        if (a == "--help") {
            std::fputs(kUsage, out);
            return 0;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--port" && i + 1 < args.size()) {
            o.port = args[++i];
        } else if (a == "--baud" && i + 1 < args.size() && ParseInteger(args[i + 1], &n) && n > 0 && n < 100000000) {
            o.baud = static_cast<uint32_t>(n);
            ++i;
        } else if (a == "--address" && i + 1 < args.size() && ParseInteger(args[i + 1], &n) && n >= 0 && n <= 255) {
            o.address = static_cast<uint8_t>(n);
            ++i;
        } else {
            return Usage(err, "bad option '" + a + "'");
        }
    }
    o.command.assign(args.begin() + static_cast<long>(i), args.end());
    if (o.command.empty()) return Usage(err, "no command");
    if (o.port.empty() && !(o.command.size() == 2 && o.command[0] == "page" && o.command[1] == "list")) {
        const auto ports = ListSerialPorts();
        if (ports.empty()) {
            std::fputs("Serial port open failed! No serial port found; give one with --port PATH.\n", err);
            return kResultPortClosed;
        }
        o.port = ports.front().path;
    }
    if (o.command[0] == "page") return PageCommand(o, out, err);
    const int console = ConsoleCommand(o, out, err);
    if (console >= 0) return console;
    return RegisterCommand(o, out, err);
}

}  // namespace veltrano::cli
