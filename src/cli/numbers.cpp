#include "cli/numbers.h"

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <locale.h>

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
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
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

bool ParseDouble(const std::string& text, double* out) {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const double v = strtod_l(text.c_str(), &end, c);
    if (end == text.c_str() || *end != '\0') return false;
    *out = v;
    return true;
}

}  // namespace veltrano
