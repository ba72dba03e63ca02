#pragma once
// How a row converts between a register and the text of its box: the read
// (ShowScaled x0.1 and the others) and the write (WriteScaled x10 and the
// others), as constants the page tables name. The field bindings and the
// tables share them, and FormatRead is the one way a read becomes text.

#include <cstdint>
#include <string>

#include "modbus/typed_number.h"

namespace veltrano::pages {

// --- reading ---

enum class Read : uint8_t {
    None,
    Integer,     // ShowInteger: 0..65535, the old text kept on failure
    Status,      // ShowStatus: the normal word, the warning word, or the other word
    Unsigned,    // ShowUnsigned: 0..65535
    Scaled,      // ShowScaled: the 16-bit value (signed unless fromUnsigned) x scale
    Unsigned32,  // ShowUnsigned32: two registers, first the high half
    Float,       // ShowFloat: two registers as an IEEE-754 single
    Widened,     // the 16 bits sign-extended to 32 and shown unsigned (0xFFFF: 4294967295)
    Version,     // "%d.%d" of the high and the low byte
    List,        // selects the entry of the row's list that the value names (ListSpec)
};

struct StatusWords {
    const char* normal = "Normal";
    const char* warning = "Warning";
    const char* other = "err";
};

struct ReadOp {
    Read kind = Read::None;
    double scale = 1.0;
    // Scaled: "%.1f" for 1, "%.2f" for 2, "%.0f" otherwise (3 decimals only on
    // rows with their own read, which format it themselves). Float: 0 means "%f".
    uint8_t decimals = 0;
    uint16_t normal = 0;                 // Status: the code shown as the normal word
    uint16_t warning = 0;                // Status: the code shown as the warning word
    const StatusWords* words = nullptr;  // Status: nullptr for Normal / Warning / err
    bool single = false;                 // Scaled: the factor is applied in single precision
    bool fromUnsigned = false;           // Scaled: the register taken as 0..65535
};

inline constexpr ReadOp kTenths{Read::Scaled, 0.1, 1};
inline constexpr ReadOp kHundredths{Read::Scaled, 0.01, 2};
inline constexpr ReadOp kSigned{Read::Scaled, 1.0, 0};
inline constexpr ReadOp kUnsigned{Read::Unsigned};
inline constexpr ReadOp kUnsigned32{Read::Unsigned32};
inline constexpr ReadOp kInteger{Read::Integer};
inline constexpr ReadOp kFloat{Read::Float};
inline constexpr ReadOp kWidened{Read::Widened};
inline constexpr ReadOp kListRead{Read::List};
constexpr ReadOp Status(uint16_t normal, uint16_t warning, const StatusWords* words = nullptr) {
    return {Read::Status, 1.0, 0, normal, warning, words};
}
constexpr ReadOp Scaled(double scale, uint8_t decimals) { return {Read::Scaled, scale, decimals}; }
// The same in single precision, as pages that format their own reads compute it.
constexpr ReadOp ScaledSingle(double scale, uint8_t decimals) {
    return {Read::Scaled, scale, decimals, 0, 0, nullptr, true};
}
// The register taken as 0..65535, in single precision (block reads).
constexpr ReadOp UnsignedScaledSingle(double scale, uint8_t decimals) {
    return {Read::Scaled, scale, decimals, 0, 0, nullptr, true, true};
}

// --- writing ---

enum class Write : uint8_t {
    None,
    FromEdit,  // WriteFromEdit: the typed unsigned integer, low 16 bits
    Scaled,    // WriteScaled: typed number x multiplier, low 16 bits
    Scaled32,  // WriteScaled32: typed number x multiplier, low 32 bits, two registers
    Float,     // WriteFloatFromEdit: the typed number as a single, two registers
    Tagged,    // WriteRegisterPair(reg, tag, low 16 bits of typed number x multiplier)
    List,      // the code of the selected entry of the row's list (ListSpec)
    Value,     // the fixed value `tag`: a command button
};

// A test made before anything is sent.
enum class Check : uint8_t {
    None,
    ZeroOrOne,      // the box read as an unsigned integer must be 0 or 1 in its low 8 bits: "Illegal input!"
    NotZeroNumber,  // the typed number must not be 0 (nor absent): "Input content cannot be empty"
    NotZeroWord,    // number x multiplier must not be 0 (a standard of 0 calibrates nothing): the same text
};

struct WriteOp {
    Write kind = Write::None;
    int32_t multiplier = 1;
    uint16_t tag = 0;
    Check check = Check::None;
};

inline constexpr WriteOp kWriteTenths{Write::Scaled, 10};
inline constexpr WriteOp kWriteHundredths{Write::Scaled, 100};
inline constexpr WriteOp kWriteInteger{Write::FromEdit};
inline constexpr WriteOp kWriteFloat{Write::Float};
inline constexpr WriteOp kWriteList{Write::List};
constexpr WriteOp WriteScaled(int32_t multiplier) { return {Write::Scaled, multiplier}; }
constexpr WriteOp WriteValue(uint16_t value) { return {Write::Value, 1, value}; }

inline constexpr const char* kIllegalInputText = "Illegal input!";
inline constexpr const char* kEmptyInputText = "Input content cannot be empty";
// A list row's Set up with no entry of its list chosen.
inline constexpr const char* kChooseEntryText = "Choose an entry first";

// What the register behind a row's write holds, as the row reads it back: a
// signed word where the read is signed, two words unsigned for Scaled32, an
// unsigned word otherwise (write-only rows included).
RegisterRange WriteRange(const ReadOp& read, const WriteOp& write);

// The text a read shows for the raw register value (one register, or two
// with the first as the high half).
std::string FormatRead(const ReadOp& op, uint32_t raw);
// How a read or a write converts, in words ("signed, x0.1", "single, 2 registers").
std::string DescribeRead(const ReadOp& op);
std::string DescribeWrite(const WriteOp& op);

}  // namespace veltrano::pages
