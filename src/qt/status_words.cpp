#include "qt/status_words.h"

#include "modbus/frames.h"

namespace veltrano::qt {

std::string UnjudgedWords(uint16_t length) {
    return length == 0 ? "no reply" : "reply of " + std::to_string(length) + " bytes";
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
    if (link.broadcast)
        s += "broadcast route";
    else if (link.zeroAddress)
        s += "zero-address route";
    else if (link.scan == LinkView::Scan::NothingFound)
        s += "no device found";
    else
        s += "short frame";
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
