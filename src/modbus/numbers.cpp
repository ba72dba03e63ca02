#include "modbus/numbers.h"

#include <charconv>
#include <system_error>

namespace veltrano {

bool ParseInteger(const std::string& text, long long* out) {
    if (text.empty()) return false;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    int base = 10;
    if (text.size() > i + 1 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    unsigned long long v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (v > 0xFFFFFFFFFFull) return false;
    }
    *out = negative ? -static_cast<long long>(v) : static_cast<long long>(v);
    return true;
}

bool ParseRegister(const std::string& text, uint16_t* out) {
    long long v;
    if (!ParseInteger(text, &v) || v < 0 || v > 0xFFFF) return false;
    *out = static_cast<uint16_t>(v);
    return true;
}

bool ParseValue16(const std::string& text, uint16_t* out) {
    long long v;
    if (!ParseInteger(text, &v) || v < -32768 || v > 0xFFFF) return false;
    *out = static_cast<uint16_t>(v & 0xFFFF);
    return true;
}

bool ParseValue32(const std::string& text, uint32_t* out) {
    long long v;
    if (!ParseInteger(text, &v) || v < -2147483648LL || v > 0xFFFFFFFFLL) return false;
    *out = static_cast<uint32_t>(v & 0xFFFFFFFFLL);
    return true;
}

namespace {

// The whole text is one decimal number: an optional sign, digits with an
// optional point, an optional exponent. No blanks, hex, "inf" or "nan".
// On success *first is where the binary readers start ('+' skipped) and
// *belowOne tells an underflow from an overflow.
bool WholeDecimal(const std::string& text, size_t* first, bool* belowOne) {
    size_t i = 0;
    const size_t n = text.size();
    auto digit = [&](size_t k) { return k < n && text[k] >= '0' && text[k] <= '9'; };
    *first = 0;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '+') *first = 1;
        ++i;
    }
    long long leading = 0;  // digits before the point, leading zeros left out
    bool any = false, nonZero = false;
    long long zerosAfterPoint = 0;
    for (; digit(i); ++i) {
        any = true;
        if (text[i] != '0' || nonZero) ++leading, nonZero = true;
    }
    if (i < n && text[i] == '.') {
        for (++i; digit(i); ++i) {
            any = true;
            if (!nonZero && text[i] == '0')
                ++zerosAfterPoint;
            else
                nonZero = true;
        }
    }
    if (!any) return false;
    long long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
        if (!digit(i)) return false;
        for (; digit(i); ++i)
            if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
        if (negative) exponent = -exponent;
    }
    if (i != n) return false;
    *belowOne = (leading > 0 ? leading : -zerosAfterPoint) + exponent <= 0;
    return true;
}

template <class T>
bool ParseBinary(const std::string& text, T* out) {
    size_t first = 0;
    bool belowOne = false;
    if (!WholeDecimal(text, &first, &belowOne)) return false;
    T v{};
    const auto r = std::from_chars(text.data() + first, text.data() + text.size(), v);
    if (r.ec == std::errc::result_out_of_range && belowOne) {
        v = text[0] == '-' ? -T(0) : T(0);  // the nearest value is zero
    } else if (r.ec != std::errc()) {
        return false;
    }
    *out = v;
    return true;
}

}  // namespace

bool ParseDouble(const std::string& text, double* out) { return ParseBinary(text, out); }

bool ParseSingle(const std::string& text, float* out) { return ParseBinary(text, out); }

}  // namespace veltrano
