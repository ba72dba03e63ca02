#include "qt/status_words.h"

#include <cstdio>

#include "modbus/crc16.h"
#include "modbus/frames.h"
#include "modbus/result_code.h"

namespace veltrano::qt {

namespace {
constexpr uint16_t kExceptionReplyLength = 5;
}  // namespace

std::string OutcomeWords(int result, const uint8_t* reply, uint16_t length, uint8_t address) {
    if (result == kResultOk) return "ok";
    if (result == kResultPortClosed) return "port not open, nothing sent";
    if (length == 0) return "no reply";
    uint8_t function = 0, code = 0;
    // An exception reply is exactly address, function|0x80, code and CRC: a
    // longer frame with the high bit set (the short frame's FD FD FD reply)
    // is something else.
    if (length == kExceptionReplyLength && IsExceptionReply(reply, length, &function, &code)) {
        char buf[96];
        const std::string name = ExceptionName(code);
        std::snprintf(buf, sizeof buf, "exception %02X from the device", code);
        return name.empty() ? buf : std::string(buf) + " (" + name + ")";
    }
    if (length <= 3) return "reply too short (" + std::to_string(length) + " bytes)";
    if (!CrcMatches(reply, length)) return "CRC mismatch";
    if (result == kResultUnknown) return "reply of " + std::to_string(length) + " bytes";
    if (reply[0] != address)
        return "reply from address " + std::to_string(reply[0]) + ", not " + std::to_string(address);
    if (result == kResultBadCheck) return "echo differs from the request";
    return "wrong reply (function or length)";
}

std::string TransactionWords(const std::string& activity, uint8_t function, uint16_t reg) {
    static const std::pair<const char*, const char*> kPast[] = {
        {"reading ", "read "}, {"writing ", "write "}, {"setting ", "set "}, {"inquiring ", "inquired "}};
    for (const auto& [present, past] : kPast)
        if (activity.rfind(present, 0) == 0) return past + activity.substr(std::char_traits<char>::length(present));
    if (!activity.empty()) return activity;
    const std::string r = std::to_string(reg);
    switch (function) {
        case fn::kReadHolding: return "read register " + r;
        case fn::kWriteSingle: return "write register " + r;
        case fn::kWriteMultiple: return "write registers " + r + " and " + std::to_string(reg + 1);
        default: return "function " + std::to_string(function) + ", register " + r;
    }
}

std::string ConnectionWords(const LinkView& link) {
    if (!link.open && link.gone && !link.testing)
        return link.path + " · " + std::to_string(link.baud) + " baud · device gone, reopening once a second";
    if (!link.open) return link.testing ? "Testing " + link.path + "…" : "Port not open";
    std::string s = link.path + " · " + std::to_string(link.baud) + " baud";
    if (link.testing) return s + " · testing…";
    s += " · address " + std::to_string(link.address) + " · ";
    if (link.broadcast) s += "broadcast route";
    else if (link.zeroAddress) s += "zero-address route";
    else if (link.scan == LinkView::Scan::NothingFound) s += "no device found";
    else s += "short frame";
    if (link.hungUp) s += " · device gone";
    return s;
}

std::string SelectionWords(const LinkView& link) {
    if (!link.open || link.testing || link.selected.empty() || link.selected == link.path) return "";
    return "The list shows " + link.selected + ", not the port in use: Test Baud Rate opens it";
}

std::string RealTimeWords(const std::string& pageLabel, int reads, int failures) {
    if (pageLabel.empty()) return "Real Time off";
    std::string s = "Real Time: " + PlainLabel(pageLabel) + ", every 1 s";
    if (reads > 0) s += ", " + std::to_string(failures) + " of " + std::to_string(reads) + " reads failed";
    return s;
}

std::string PlainLabel(const std::string& label) {
    std::string s;
    for (size_t i = 0; i < label.size(); ++i) {
        s += label[i];
        if (label[i] == '&' && i + 1 < label.size() && label[i + 1] == '&') ++i;
    }
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace veltrano::qt
