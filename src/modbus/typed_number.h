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
    NotWhole,  // a number where a whole number without a sign is wanted ("-5", "25.5", "12a")
};

// The operator's text read by the decimal grammar (first 19 characters; leading blanks,
// optional sign, digits with an optional point, optional exponent; stops at the first
// character that does not fit), independent of the locale.
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

}  // namespace veltrano
