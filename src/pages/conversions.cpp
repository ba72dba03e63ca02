#include "pages/conversions.h"

#include <charconv>
#include <cstring>

namespace veltrano::pages {
namespace {

// Fixed notation with `decimals` places, as "%.Nf" prints in the C locale.
std::string Fixed(double value, int decimals) {
    char buf[512];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

}  // namespace

RegisterRange WriteRange(const ReadOp& read, const WriteOp& write) {
    if (write.kind == Write::Scaled32) return kUnsigned32Range;
    const bool signedRead = (read.kind == Read::Scaled && !read.fromUnsigned) || read.kind == Read::Widened;
    return signedRead ? kSigned16Range : kUnsigned16Range;
}

std::string FormatRead(const ReadOp& op, uint32_t raw) {
    const uint16_t low = static_cast<uint16_t>(raw & 0xFFFF);
    switch (op.kind) {
        case Read::None:
        case Read::List: return "";
        case Read::Integer:
        case Read::Unsigned: return std::to_string(low);
        case Read::Status: {
            static constexpr StatusWords kDefault{};
            const StatusWords& w = op.words ? *op.words : kDefault;
            return low == op.normal ? w.normal : low == op.warning ? w.warning : w.other;
        }
        case Read::Scaled: {
            const double v =
                op.fromUnsigned ? static_cast<double>(low) : static_cast<double>(static_cast<int16_t>(low));
            const double shown =
                op.single ? static_cast<double>(static_cast<float>(v) * static_cast<float>(op.scale)) : v * op.scale;
            return Fixed(shown, op.decimals <= 3 ? op.decimals : 0);
        }
        case Read::Unsigned32: return std::to_string(raw);
        case Read::Float: {
            float f;
            std::memcpy(&f, &raw, sizeof f);
            return Fixed(static_cast<double>(f), op.decimals ? op.decimals : 6);
        }
        case Read::Widened:
            return std::to_string(static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(low))));
        case Read::Version: return std::to_string(low >> 8) + "." + std::to_string(low & 0xFF);
    }
    return "";
}

namespace {

// The shortest text of a factor, never in the locale's digits.
std::string Number(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

}  // namespace

std::string DescribeRead(const ReadOp& op) {
    switch (op.kind) {
        case Read::None: return "";
        case Read::Integer:
        case Read::Unsigned: return "unsigned";
        case Read::Status: {
            static constexpr StatusWords kDefault{};
            const StatusWords& w = op.words ? *op.words : kDefault;
            return std::to_string(op.normal) + " " + w.normal + ", " + std::to_string(op.warning) + " " + w.warning +
                   ", else " + w.other;
        }
        case Read::Scaled:
            return std::string(op.fromUnsigned ? "unsigned" : "signed") +
                   (op.scale == 1.0 ? "" : ", x" + Number(op.scale));
        case Read::Unsigned32: return "unsigned 32-bit, high word first";
        case Read::Float: return "single float, high word first";
        case Read::Widened: return "sign-extended to 32 bits";
        case Read::Version: return "version high.low byte";
        case Read::List: return "list entry by value";
    }
    return "";
}

std::string DescribeWrite(const WriteOp& op) {
    switch (op.kind) {
        case Write::None: return "";
        case Write::FromEdit: return "whole number, function 06";
        case Write::Scaled:
            return (op.multiplier == 1 ? std::string("number") : "number x" + std::to_string(op.multiplier)) +
                   ", function 06";
        case Write::Scaled32: return "number x" + std::to_string(op.multiplier) + ", 32 bits, function 16";
        case Write::Float: return "single float, function 16";
        case Write::Tagged:
            return std::to_string(op.tag) + " then number x" + std::to_string(op.multiplier) + ", function 16";
        case Write::List: return "the entry's code, function 06";
        case Write::Value: return "writes " + std::to_string(op.tag) + ", function 06";
    }
    return "";
}

}  // namespace veltrano::pages
