#pragma once
// Numbers the operator types into an edit box. One reader for every page:
// the first 19 characters, leading blanks, an optional sign, digits with an
// optional point, an optional exponent; reading stops at the first character
// that does not fit. No locale is consulted.
#include <cstdint>
#include <string>

namespace veltrano {

enum class TypedError {
    None,
    NoNumber,
    CommaDecimal,
    OutOfRange,
    NotWhole,      // a number where a whole number without a sign is wanted ("-5", "25.5", "12a")
    TrailingText,  // something other than blanks after the number ("35abc", "0x10", "40\0" + "0")
};

// The operator's text read by the decimal grammar (first 19 characters; leading blanks,
// optional sign, digits with an optional point, optional exponent), independent of the
// locale. Only blanks may follow the number: "35abc" is refused rather than read as 35.
// number x multiplier, exact for the typed decimals, truncated toward zero beyond them.
TypedError ScaleTyped(const std::string& text, int32_t multiplier, int64_t* out);
// The number as the nearest double (for the float writes).
TypedError ParseTyped(const std::string& text, double* out);
// The number rounded once, straight to the nearest single (going through a
// double first rounds twice, and "7.038531e-26" then lands one bit off).
// OutOfRange when it rounds to an infinity.
TypedError ParseTypedSingle(const std::string& text, float* out);
// The warning shown for a refusal (None: "").
const char* TypedErrorText(TypedError error);

// What a register holds, as whole numbers of the register: a signed or
// unsigned 16-bit word, two words as an unsigned 32-bit number.
struct RegisterRange {
    int64_t min = 0;
    int64_t max = 0;
    bool Holds(int64_t v) const { return v >= min && v <= max; }
};
inline constexpr RegisterRange kSigned16Range{-32768, 32767};
inline constexpr RegisterRange kUnsigned16Range{0, 65535};
inline constexpr RegisterRange kUnsigned32Range{0, 4294967295LL};
// Either reading of a 16-bit word, for writes that do not know which one the device uses.
inline constexpr RegisterRange kAny16Range{-32768, 65535};
inline constexpr RegisterRange kAny32Range{-2147483648LL, 4294967295LL};

// ScaleTyped, refused as OutOfRange when the scaled value does not fit `range`:
// written as its low bits it would land the device on another value.
TypedError ScaleTypedWithin(const std::string& text, int32_t multiplier, RegisterRange range, int64_t* out);
// The shortest text that ScaleTyped at `multiplier` turns into `scaled`
// exactly (3276.7 for 32767 at x10); "" unless the multiplier is a power of ten.
std::string UnscaledText(int64_t scaled, int32_t multiplier);
// The range in the typed number's own units ("-3276.8 to 3276.7" at x10), for
// multipliers that are powers of ten; others are divided and printed as %g.
std::string DescribeTypedRange(RegisterRange range, int32_t multiplier);
// The refusal of a number out of `range`: "Number out of range (-3276.8 to
// 3276.7 ℃), nothing was written!"; `unit` may be empty.
std::string OutOfRangeText(const std::string& range, const std::string& unit);
// The same for the float rows: the largest finite single either way.
std::string SingleRangeText(const std::string& unit);

}  // namespace veltrano
