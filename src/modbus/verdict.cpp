#include "modbus/verdict.h"

#include <cstdio>

#include "modbus/frames.h"

namespace veltrano {

std::string DescribeVerdict(const ReplyVerdict& v) {
    auto exception = [&] {
        char buf[40];
        std::snprintf(buf, sizeof buf, "exception %02X from the device", v.exception);
        const std::string name = ExceptionName(v.exception);
        return name.empty() ? std::string(buf) : std::string(buf) + " (" + name + ")";
    };
    switch (v.verdict) {
        case Verdict::Ok: return "ok";
        case Verdict::PortClosed: return "port not open, nothing sent";
        case Verdict::NoReply: return "no reply";
        case Verdict::TooShort: return "reply too short (" + std::to_string(v.length) + " bytes)";
        case Verdict::WrongAddress:
            return "reply from address " + std::to_string(v.address) + ", not " + std::to_string(v.expected);
        case Verdict::WrongFunction: return "wrong function code in the reply";
        case Verdict::Exception: return exception();
        case Verdict::BadCrc: return "CRC mismatch";
        case Verdict::EchoDiffers:
        case Verdict::WrongEcho: {
            // A write refused by the device answers with an exception, which is no echo either.
            std::string s = "echo differs from the request";
            if (v.length > 0 && v.address != v.expected)
                s += ": reply from address " + std::to_string(v.address) + ", not " + std::to_string(v.expected);
            else if (v.exception)
                s += ": " + exception();
            return s;
        }
        case Verdict::WrongLength: return "reply of the wrong length (" + std::to_string(v.length) + " bytes)";
        case Verdict::UnknownRate: return "reply names no baud rate";
    }
    return "";
}

}  // namespace veltrano
