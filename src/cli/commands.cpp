#include "cli/commands.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "app/categories.h"
#include "app/main_dialog.h"
#include "app/main_ids.h"
#include "app/traffic_log.h"
#include "cli/internal.h"
#include "modbus/frames.h"
#include "modbus/modbus_master.h"
#include "modbus/numbers.h"
#include "pages/page_registry.h"
#include "ui/recording_host.h"

namespace veltrano::cli {
namespace internal {

void Observe(Link& link, bool trace, FILE* err, int* requests) {
    link.trace = [trace, err, requests](const char* dir, const uint8_t* b, uint16_t n) {
        if (std::strncmp(dir, "TX", 2) == 0 && requests) ++*requests;
        if (trace) std::fprintf(err, "%s\n", app::FrameText(dir, b, n).c_str());
    };
    // Why a transaction failed, in the words the window uses.
    if (trace)
        link.outcome = [err](const Outcome& o) {
            if (!o.verdict.ok()) std::fprintf(err, "-- %s\n", DescribeVerdict(o.verdict).c_str());
        };
}

void OpenAsGiven(Link& link, const Options& o, FILE* err) {
    if (!link.Reopen(o.port, o.baud))
        std::fprintf(err, "Serial port open failed! %s: %s\n", o.port.c_str(), link.wire().OpenErrorText().c_str());
    link.deviceAddress = o.address;
}

void PrintingHost::Print(FILE* to) {
    for (size_t i = printed_; i < messages.size(); ++i) {
        std::string text;
        for (char ch : messages[i].request.text)
            if (ch != '\r') text += ch;  // the texts break lines with CR LF
        std::fprintf(to, "%s\n", text.c_str());
    }
    printed_ = messages.size();
}

Console::Console(const Options& o, FILE* err) {
    app::MainOptions mo;
    mo.leadingPorts.push_back(PortEntry{o.port, ""});
    mo.listPorts = [] { return std::vector<PortEntry>{}; };
    main_ = std::make_unique<app::MainDialog>(link_, mo);
    Observe(link_, o.trace, err, &requests_);
    main_->SetHost(&host_);
    main_->Initialize();
}

}  // namespace internal

namespace {

using internal::Console;
using internal::Options;
using internal::Usage;

// A link with its receive thread running, opened on the port.
class Session {
public:
    Session(const Options& o, FILE* err) {
        link_.StartReceiving();
        internal::Observe(link_, o.trace, err, nullptr);
        internal::OpenAsGiven(link_, o, err);
    }
    ~Session() {
        link_.StopReceiving();
        link_.wire().Close();
    }
    Link& link() { return link_; }

private:
    Link link_;
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
        k.why = name + " takes " +
                (want == 1   ? "one argument"
                 : want == 2 ? "two arguments"
                             : "three arguments") +
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
        k.why =
            name + " needs one number: " + (name == "set-address" ? "the new address, 1..255" : "2400, 4800 or 9600");
        return k;
    }
    // The panel's own refusals, made before the scan so that nothing is sent.
    if (name == "set-address" && (k.number & 0xFF) == 0)
        k.refused = app::kAddressZeroText;
    else if (name == "set-address" && (k.number < 1 || k.number > 255))
        k.refused = app::kAddressRangeText;
    if (name == "set-baud" && k.number != 2400 && k.number != 4800 && k.number != 9600) k.refused = app::kBaudErrorText;
    return k;
}

Checked CheckCommand(const std::vector<std::string>& c) {
    const std::string& name = c[0];
    if (IsRegisterCommand(name)) return CheckRegisterCommand(c);
    if (name == "scan" || name == "inquire" || name == "set-address" || name == "set-baud")
        return CheckConsoleCommand(c);
    if (name == "page") {
        Checked k;
        k.why = internal::CheckPageArguments(c);
        return k;
    }
    Checked k;
    k.why = "unknown command '" + name + "'";
    return k;
}

// --- running ---

int RegisterCommand(const Options& o, const Checked& k, FILE* out, FILE* err) {
    const std::string& name = o.command[0];
    Session s(o, err);
    ModbusMaster m(s.link());
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
    if (const int done = internal::ParseArguments(args, &o, out, err); done >= 0) return done;
    const Checked k = CheckCommand(o.command);
    if (!k.why.empty()) return Usage(err, k.why);
    const bool pageCommand = o.command[0] == "page";
    if (!o.selects.empty() && (!pageCommand || o.command[1] == "list"))
        return Usage(err, "--select goes with a page command");
    if (!k.refused.empty()) {
        std::fprintf(err, "%s\n", k.refused.c_str());
        return kRefusedInput;
    }
    if (pageCommand) {
        // A settings file is looked at before any port: a bad one sends nothing.
        if (const int refused = internal::CheckSettingsFile(&o, err); refused >= 0) return refused;
    }
    const bool pageList = pageCommand && o.command[1] == "list";
    if (!o.portGiven && !pageList && !ChoosePort(o, listPorts, err)) return kResultPortClosed;
    if (pageCommand) return internal::PageCommand(o, out, err);
    if (IsRegisterCommand(o.command[0])) return RegisterCommand(o, k, out, err);
    return ConsoleCommand(o, k, out, err);
}

}  // namespace veltrano::cli
