#include "modbus/typed_number.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>
#include <utility>

namespace veltrano {
namespace {

// The edit text is fetched into a 20-byte buffer: 19 characters count.
constexpr size_t kTypedChars = 19;
// Exponents beyond this say nothing more: the value is 0 or out of range.
constexpr long long kExponentCap = 100000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// A number read by the grammar: value = (negative ? -1 : 1) x digits x 10^exponent.
struct Scanned {
    TypedError error = TypedError::None;
    bool negative = false;
    std::string digits;  // significant digits, no leading or trailing zeros; empty: zero
    long long exponent = 0;
    std::string head;  // the characters that count
    size_t begin = 0;  // the number's text within head, sign included ('+' excluded)
    size_t end = 0;
};

// Where the number that starts at `i` of `h` ends (after its sign, digits,
// point and exponent), with its mantissa digits and how many of them follow
// the point. "1e" and "1e+" end before the 'e'.
size_t NumberEnd(const std::string& h, size_t i, std::string* mantissa, long long* fraction, long long* exponent) {
    if (i < h.size() && (h[i] == '+' || h[i] == '-')) ++i;
    while (i < h.size() && IsDigit(h[i])) *mantissa += h[i++];
    if (i < h.size() && h[i] == '.') {
        ++i;
        while (i < h.size() && IsDigit(h[i])) {
            *mantissa += h[i++];
            ++*fraction;
        }
    }
    if (mantissa->empty()) return i;
    if (i < h.size() && (h[i] == 'e' || h[i] == 'E')) {
        size_t j = i + 1;
        bool negativeExponent = false;
        if (j < h.size() && (h[j] == '+' || h[j] == '-')) negativeExponent = h[j++] == '-';
        if (j < h.size() && IsDigit(h[j])) {
            while (j < h.size() && IsDigit(h[j])) {
                if (*exponent < kExponentCap) *exponent = *exponent * 10 + (h[j] - '0');
                ++j;
            }
            if (negativeExponent) *exponent = -*exponent;
            i = j;
        }
    }
    return i;
}

Scanned Scan(const std::string& text) {
    Scanned s;
    s.head = text.substr(0, kTypedChars);
    const std::string& h = s.head;
    size_t start = 0;
    while (start < h.size() && IsBlank(h[start])) ++start;
    s.begin = start;
    if (start < h.size() && (h[start] == '+' || h[start] == '-')) {
        s.negative = h[start] == '-';
        if (!s.negative) s.begin = start + 1;  // the binary readers take '-' but not '+'
    }
    std::string mantissa;
    long long fraction = 0;
    long long exponent = 0;
    const size_t i = NumberEnd(h, start, &mantissa, &fraction, &exponent);
    if (mantissa.empty()) {
        s.error = TypedError::NoNumber;  // "", "abc", ".", "-", "inf", "nan"
        return s;
    }
    s.end = i;
    // "35,5": a comma-decimal typist's number, which would otherwise read 35.
    if (i + 1 < h.size() && h[i] == ',' && IsDigit(h[i + 1])) {
        s.error = TypedError::CommaDecimal;
        return s;
    }
    // Anything but blanks after the number is refused, not dropped: "35abc"
    // would write 35. Only the first 19 characters make the value, so the
    // number is followed to its end in the whole text (digits past the cut
    // are dropped, as ever).
    {
        std::string all;
        long long f = 0, e = 0;
        for (size_t k = NumberEnd(text, start, &all, &f, &e); k < text.size(); ++k)
            if (!IsBlank(text[k])) {
                s.error = TypedError::TrailingText;
                return s;
            }
    }
    size_t first = mantissa.find_first_not_of('0');
    if (first == std::string::npos) return s;  // zero, whatever its sign and exponent
    size_t last = mantissa.find_last_not_of('0');
    s.digits = mantissa.substr(first, last - first + 1);
    s.exponent = exponent - fraction + static_cast<long long>(mantissa.size() - 1 - last);
    return s;
}

// The decimal digits of `digits` x `factor`.
std::string Multiply(const std::string& digits, uint64_t factor) {
    std::string out(digits.size(), '0');
    uint64_t carry = 0;
    for (size_t k = digits.size(); k-- > 0;) {
        const uint64_t v = static_cast<uint64_t>(digits[k] - '0') * factor + carry;
        out[k] = static_cast<char>('0' + v % 10);
        carry = v / 10;
    }
    std::string prefix;
    for (; carry > 0; carry /= 10) prefix.insert(prefix.begin(), static_cast<char>('0' + carry % 10));
    return prefix + out;
}

// Overflow or underflow of a binary reader: a magnitude below 1 went to zero.
template <class T>
TypedError Read(const std::string& text, T* out) {
    const Scanned s = Scan(text);
    if (s.error != TypedError::None) return s.error;
    if (s.digits.empty()) {
        *out = s.negative ? -T(0) : T(0);
        return TypedError::None;
    }
    T v{};
    const char* first = s.head.data() + s.begin;
    const auto r = std::from_chars(first, s.head.data() + s.end, v);
    if (r.ec == std::errc()) {
        *out = v;
        return TypedError::None;
    }
    if (static_cast<long long>(s.digits.size()) + s.exponent <= 0) {
        *out = s.negative ? -T(0) : T(0);
        return TypedError::None;
    }
    return TypedError::OutOfRange;
}

}  // namespace

TypedError ScaleTyped(const std::string& text, int32_t multiplier, int64_t* out) {
    const Scanned s = Scan(text);
    if (s.error != TypedError::None) return s.error;
    if (s.digits.empty() || multiplier == 0) {
        *out = 0;
        return TypedError::None;
    }
    const bool negative = s.negative != (multiplier < 0);
    const uint64_t factor =
        multiplier < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(multiplier)) : static_cast<uint64_t>(multiplier);
    std::string product = Multiply(s.digits, factor);
    if (s.exponent >= 0) {
        // 20 digits is the most that can still fit 64 bits.
        if (static_cast<long long>(product.size()) + s.exponent > 20) return TypedError::OutOfRange;
        product.append(static_cast<size_t>(s.exponent), '0');
    } else {
        // Truncation toward zero: the digits below the units go.
        const long long drop = -s.exponent;
        if (drop >= static_cast<long long>(product.size())) {
            *out = 0;
            return TypedError::None;
        }
        product.resize(product.size() - static_cast<size_t>(drop));
    }
    uint64_t magnitude = 0;
    for (char c : product) {
        const uint64_t d = static_cast<uint64_t>(c - '0');
        if (magnitude > (std::numeric_limits<uint64_t>::max() - d) / 10) return TypedError::OutOfRange;
        magnitude = magnitude * 10 + d;
    }
    const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    if (magnitude > limit) return TypedError::OutOfRange;
    *out = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return TypedError::None;
}

TypedError ParseTyped(const std::string& text, double* out) { return Read(text, out); }

TypedError ParseTypedSingle(const std::string& text, float* out) { return Read(text, out); }

const char* TypedErrorText(TypedError error) {
    switch (error) {
        case TypedError::None: return "";
        case TypedError::NoNumber: return "No number entered, nothing was written!";
        case TypedError::CommaDecimal: return "The decimal separator is a point, nothing was written!";
        case TypedError::OutOfRange: return "Number out of range, nothing was written!";
        case TypedError::NotWhole: return "Type a whole number without a sign, nothing was written!";
        case TypedError::TrailingText: return "Only a number can be written, nothing was written!";
    }
    return "";
}

TypedError ScaleTypedWithin(const std::string& text, int32_t multiplier, RegisterRange range, int64_t* out) {
    int64_t v = 0;
    const TypedError e = ScaleTyped(text, multiplier, &v);
    if (e != TypedError::None) return e;
    if (!range.Holds(v)) return TypedError::OutOfRange;
    *out = v;
    return TypedError::None;
}

std::string UnscaledText(int64_t scaled, int32_t multiplier) {
    int places = 0;
    int64_t m = multiplier;
    for (; m > 1 && m % 10 == 0; m /= 10) ++places;
    if (m != 1) return "";
    const bool negative = scaled < 0;
    std::string digits = std::to_string(negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled));
    if (places > 0) {
        if (digits.size() <= static_cast<size_t>(places))
            digits.insert(0, static_cast<size_t>(places) + 1 - digits.size(), '0');
        digits.insert(digits.size() - static_cast<size_t>(places), ".");
        while (digits.back() == '0') digits.pop_back();  // 0.000 is 0
        if (digits.back() == '.') digits.pop_back();
    }
    return (negative ? "-" : "") + digits;
}

std::string DescribeTypedRange(RegisterRange range, int32_t multiplier) {
    const std::string lo = UnscaledText(range.min, multiplier), hi = UnscaledText(range.max, multiplier);
    if (!lo.empty() && !hi.empty()) return lo + " to " + hi;
    // Other factors: the limits divided back, as near as a double can say
    // (and never in the locale's digits).
    const double m = multiplier == 0 ? 1.0 : static_cast<double>(multiplier);
    double a = static_cast<double>(range.min) / m, b = static_cast<double>(range.max) / m;
    if (a > b) std::swap(a, b);
    auto text = [](double v) {
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        return std::string(buf, r.ptr);
    };
    return text(a) + " to " + text(b);
}

std::string OutOfRangeText(const std::string& range, const std::string& unit) {
    return "Number out of range (" + range + (unit.empty() ? "" : " " + unit) + "), nothing was written!";
}

std::string SingleRangeText(const std::string& unit) { return OutOfRangeText("-3.4028235e+38 to 3.4028235e+38", unit); }

}  // namespace veltrano
