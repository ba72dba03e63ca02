#include "app/connection_panel.h"

#include <cstring>

#include "app/main_ids.h"
#include "modbus/crc16.h"
#include "modbus/exchange.h"
#include "modbus/frames.h"
#include "modbus/reply_checks.h"

namespace veltrano::app {
namespace {

constexpr uint8_t kBroadcast = 0xFF;
constexpr uint8_t kZero = 0x00;
// How the panel's exchanges are told to the link's observers: the short
// frame by its FD, the communication registers by their first register.
constexpr uint8_t kShortFrameFunction = 0xFD;
constexpr uint16_t kCommRegisters = 0x0200;

std::vector<uint8_t> WithCrc(std::vector<uint8_t> b) {
    b.resize(b.size() + 2);
    AppendCrc(b.data(), static_cast<uint32_t>(b.size() - 2));
    return b;
}

}  // namespace

std::vector<uint8_t> ShortFrame(uint8_t baudCode, uint8_t address) {
    return WithCrc({0xFD, 0xFD, 0xFD, baudCode, address});
}

std::vector<uint8_t> RegisterBlockRead(uint8_t routeAddress) {
    return WithCrc({routeAddress, 0x03, 0x02, 0x00, 0x00, 0x05});
}

std::vector<uint8_t> RegisterBlockWrite(uint8_t routeAddress, uint8_t address, uint8_t baudCode) {
    return WithCrc({routeAddress, 0x10, 0x02, 0x00, 0x00, 0x05, 0x0A,  //
                    0x00, address, 0x00, baudCode, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01});
}

ConnectionPanel::ConnectionPanel(ui::Dialog& window, Link& link, ConnectionState& state,
                                 std::function<std::string()> selectedPortPath)
    : window_(window), link_(link), state_(state), selectedPortPath_(std::move(selectedPortPath)) {}

ConnectionPanel::Route ConnectionPanel::CurrentRoute() const {
    if (state_.broadcastRoute) return Route::Broadcast;
    if (state_.zeroAddressRoute) return Route::Zero;
    return Route::Short;
}

void ConnectionPanel::EnableButtons(bool enabled) {
    for (int id : {kInquireAddress, kSetAddress, kInquireBaud, kSetBaud}) window_.Enable(id, enabled);
}

uint16_t ConnectionPanel::Exchange(const std::vector<uint8_t>& request) {
    std::memcpy(link_.txBuffer, request.data(), request.size());
    return veltrano::Exchange(link_, static_cast<uint16_t>(request.size()));
}

ReplyVerdict JudgeShortFrameReply(const uint8_t* reply, uint16_t n, ShortFrameReply* out) {
    // The address is byte 4: a reply must reach it and its CRC, or the
    // address would come from an earlier reply.
    if (n == 0) return Judged(Verdict::NoReply, 0xFD, reply, n);
    if (n <= 3) return Judged(Verdict::TooShort, 0xFD, reply, n);
    if (n < 7) return Judged(Verdict::WrongLength, 0xFD, reply, n);
    if (!CrcMatches(reply, n)) return Judged(Verdict::BadCrc, 0xFD, reply, n);
    if (reply[0] != 0xFD || reply[1] != 0xFD || reply[2] != 0xFD) return Judged(Verdict::WrongFunction, 0xFD, reply, n);
    const uint32_t rate = ShortCodeRate(reply[3]);
    if (rate == 0) return Judged(Verdict::UnknownRate, 0xFD, reply, n);
    out->baud = rate;
    out->address = reply[4];
    return Judged(Verdict::Ok, 0xFD, reply, n);
}

bool ReadShortFrameReply(const uint8_t* reply, uint16_t n, ShortFrameReply* out) {
    return JudgeShortFrameReply(reply, n, out).ok();
}

ReplyVerdict JudgeRegisterBlockReply(const uint8_t* reply, uint16_t n, uint8_t routeAddress, RegisterBlockReply* out) {
    // Five registers from byte 3 on: the block must be all there.
    if (n == 0) return Judged(Verdict::NoReply, routeAddress, reply, n);
    if (n <= 3) return Judged(Verdict::TooShort, routeAddress, reply, n);
    if (n < 3 + 10 + 2) return Judged(Verdict::WrongLength, routeAddress, reply, n);
    if (!CrcMatches(reply, n)) return Judged(Verdict::BadCrc, routeAddress, reply, n);
    out->address = reply[4];
    out->baudCode = reply[6];
    out->baud = RegisterCodeRate(reply[6]);  // an unknown code reads as 0 and is still valid
    out->lineFormat[0] = reply[8];
    out->lineFormat[1] = reply[10];
    out->lineFormat[2] = reply[12];
    return Judged(Verdict::Ok, routeAddress, reply, n);
}

bool ReadRegisterBlockReply(const uint8_t* reply, uint16_t n, RegisterBlockReply* out) {
    return JudgeRegisterBlockReply(reply, n, 0, out).ok();
}

ReplyVerdict JudgeRegisterWriteReply(const uint8_t* reply, uint16_t n, uint8_t routeAddress) {
    // Judged by the CRC, as the device's echo is not compared; but a
    // refusal (function | 0x80, an exception code) is no success.
    if (n == 0) return Judged(Verdict::NoReply, routeAddress, reply, n);
    if (n <= 3) return Judged(Verdict::TooShort, routeAddress, reply, n);
    if (!CrcMatches(reply, n)) return Judged(Verdict::BadCrc, routeAddress, reply, n);
    if (reply[1] & 0x80) {
        const ReplyVerdict v = Judged(Verdict::WrongFunction, routeAddress, reply, n);
        return v.exception ? Judged(Verdict::Exception, routeAddress, reply, n) : v;
    }
    return Judged(Verdict::Ok, routeAddress, reply, n);
}

bool RegisterWriteReplyAccepted(const uint8_t* reply, uint16_t n) { return JudgeRegisterWriteReply(reply, n, 0).ok(); }

bool ConnectionPanel::ParseShortFrame(const uint8_t* reply, uint16_t n) {
    ShortFrameReply r;
    const ReplyVerdict v = JudgeShortFrameReply(reply, n, &r);
    ReportOutcome(link_, kShortFrameFunction, 0, v);
    if (!v.ok()) return false;
    state_.currentBaud = r.baud;
    link_.deviceAddress = r.address;
    return true;
}

bool ConnectionPanel::ParseRegisterBlock(const uint8_t* reply, uint16_t n, uint8_t routeAddress) {
    RegisterBlockReply r;
    const ReplyVerdict v = JudgeRegisterBlockReply(reply, n, routeAddress, &r);
    ReportOutcome(link_, fn::kReadHolding, kCommRegisters, v);
    if (!v.ok()) return false;
    link_.deviceAddress = r.address;
    state_.registerBaudCode = r.baudCode;
    state_.currentBaud = r.baud;
    std::memcpy(state_.lineFormat, r.lineFormat, sizeof r.lineFormat);
    return true;
}

void ConnectionPanel::Inquire() {
    if (state_.inquiryGuard) return;  // cleared by timer 1
    state_.inquiryGuard = true;
    const Route route = CurrentRoute();
    window_.SetItemText(kAddressEdit, " ");
    window_.SetItemText(kBaudEdit, " ");
    const std::vector<uint8_t> request = route == Route::Broadcast ? RegisterBlockRead(kBroadcast)
                                         : route == Route::Zero    ? RegisterBlockRead(kZero)
                                                                   : ShortFrame(0, 0);
    ReportActivity(link_, "inquiring the address and baud rate");
    const uint16_t n = Exchange(request);
    const bool ok =
        route == Route::Short ? ParseShortFrame(link_.rxBuffer, n) : ParseRegisterBlock(link_.rxBuffer, n, request[0]);
    if (n <= 3 || !ok) return;
    window_.SetItemInt(kAddressEdit, link_.deviceAddress);
    window_.SetItemInt(kBaudEdit, state_.currentBaud);
    // Later register transactions reach the device through the route's address.
    if (route == Route::Broadcast) link_.deviceAddress = kBroadcast;
    if (route == Route::Zero) link_.deviceAddress = kZero;
}

bool ConnectionPanel::RegisterWriteAccepted(uint16_t n, uint8_t routeAddress) const {
    const ReplyVerdict v = JudgeRegisterWriteReply(link_.rxBuffer, n, routeAddress);
    ReportOutcome(link_, fn::kWriteMultiple, kCommRegisters, v);
    return v.ok();
}

bool ConnectionPanel::TypedAddress(const char* zeroText, uint8_t* address) {
    const int typed = window_.GetItemSInt(kAddressEdit);  // not a number: 0
    if ((typed & 0xFF) == 0) {
        window_.MessageBox(zeroText, kAppName, ui::Icon::None, ui::Buttons::Ok);
        return false;
    }
    // 300 would otherwise go out as its low byte, 44.
    if (typed < 1 || typed > 255) {
        window_.MessageBox(kAddressRangeText, kAppName, ui::Icon::None, ui::Buttons::Ok);
        return false;
    }
    *address = static_cast<uint8_t>(typed);
    return true;
}

// The register-route address write rewrites all five registers, the rate
// among them: it repeats the code of the rate the device has now, so that
// changing the address never moves the device to another rate.
uint8_t ConnectionPanel::BaudCodeForAddressWrite() const {
    const int code = RegisterCodeOf(state_.currentBaud);
    if (code >= 0) return static_cast<uint8_t>(code);
    if (state_.registerBaudCode >= 0) return static_cast<uint8_t>(state_.registerBaudCode);
    return 2;
}

void ConnectionPanel::SetAddress() {
    uint8_t address = 0;
    if (!TypedAddress(kAddressZeroText, &address)) return;
    const Route route = CurrentRoute();
    bool ok = false;
    uint16_t n = 0;
    ReportActivity(link_, "setting the address to " + std::to_string(address));
    if (route == Route::Short) {
        n = Exchange(ShortFrame(0, address));
        ok = ParseShortFrame(link_.rxBuffer, n) && n > 3;
    } else {
        const uint8_t routeAddress = route == Route::Broadcast ? kBroadcast : kZero;
        n = Exchange(RegisterBlockWrite(routeAddress, address, BaudCodeForAddressWrite()));
        ok = RegisterWriteAccepted(n, routeAddress);
    }
    if (ok) {
        window_.MessageBox(route == Route::Broadcast ? "Address set successfully!" : "Address set successfully",
                           kAppName, ui::Icon::None, ui::Buttons::Ok);
        return;
    }
    const bool silent = n <= 3;
    window_.MessageBox("Address setting failed!", route == Route::Zero && silent ? "Warnging" : "Warning",
                       ui::Icon::Question, ui::Buttons::Ok);
}

void ConnectionPanel::SetBaud() {
    uint8_t address = 0;
    if (!TypedAddress("Address cannot be 0", &address)) return;
    const int rate = window_.GetItemSInt(kBaudEdit);
    // Only the rates of the short-frame codes are offered.
    const int shortCode = rate > 0 ? ShortCodeOf(static_cast<uint32_t>(rate)) : -1;
    const uint8_t code = static_cast<uint8_t>(shortCode < 0 ? 0 : shortCode);
    if (shortCode < 0) {
        window_.MessageBox(kBaudErrorText, kAppName, ui::Icon::None, ui::Buttons::Ok);
        return;
    }
    const Route route = CurrentRoute();
    ReportActivity(link_, "setting the baud rate to " + std::to_string(rate));
    if (route != Route::Short) {
        const uint8_t routeAddress = route == Route::Broadcast ? kBroadcast : kZero;
        const uint16_t n = Exchange(RegisterBlockWrite(routeAddress, address, code));
        if (RegisterWriteAccepted(n, routeAddress)) {
            window_.MessageBox("Baudrate set successfully", kAppName, ui::Icon::None, ui::Buttons::Ok);
            return;
        }
    } else {
        const uint16_t n = Exchange(ShortFrame(code, 0));
        if (ParseShortFrame(link_.rxBuffer, n)) {
            window_.MessageBox("Baudrate set successfully", kAppName, ui::Icon::None, ui::Buttons::Ok);
            // The device now talks at the new rate: follow it (silently if the port will not open).
            link_.Reopen(selectedPortPath_(), static_cast<uint32_t>(rate));
            return;
        }
    }
    window_.MessageBox("Baudrate setting failed!", "Warning", ui::Icon::Question, ui::Buttons::Ok);
}

}  // namespace veltrano::app
