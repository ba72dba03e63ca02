// The reader of typed numbers against a slow exact reference: the text is
// read by the grammar again here (and, for what may follow the number, by a
// regular expression over the whole text), and its value is kept as decimal digits
// and an exponent. Scaled integers are computed digit by digit; a double or
// single result must be the exactly nearest one (ties to even), checked with
// big-integer arithmetic on the decimal value; a value that rounds to
// infinity, or a scaled value outside 64 bits, must be refused.
#include <cmath>
#include <cstring>
#include <limits>
#include <regex>
#include <string>

#include "fuzz_common.h"
#include "modbus/typed_number.h"

using namespace veltrano;

namespace {

// --- the grammar, again ---

struct Reference {
    TypedError error = TypedError::None;
    bool negative = false;
    std::string digits;      // significant digits without leading zeros; empty: the value is zero
    long long exponent = 0;  // value = digits x 10^exponent
};

bool Digit(char c) { return c >= '0' && c <= '9'; }

Reference Read(const std::string& text) {
    Reference ref;
    const std::string h = text.substr(0, 19);  // the edit box hands over 19 characters
    size_t i = 0;
    while (i < h.size() && std::strchr(" \t\n\v\f\r", h[i]) && h[i] != '\0') ++i;
    if (i < h.size() && (h[i] == '-' || h[i] == '+')) ref.negative = h[i++] == '-';
    std::string all;  // every mantissa digit
    long long afterPoint = 0;
    for (; i < h.size() && Digit(h[i]); ++i) all += h[i];
    if (i < h.size() && h[i] == '.')
        for (++i; i < h.size() && Digit(h[i]); ++i, ++afterPoint) all += h[i];
    if (all.empty()) {
        ref.error = TypedError::NoNumber;
        return ref;
    }
    long long e = 0;
    if (i < h.size() && (h[i] == 'e' || h[i] == 'E')) {
        size_t j = i + 1;
        bool minus = false;
        if (j < h.size() && (h[j] == '+' || h[j] == '-')) minus = h[j++] == '-';
        if (j < h.size() && Digit(h[j])) {
            for (; j < h.size() && Digit(h[j]); ++j) e = e * 10 + (h[j] - '0');  // 17 digits at most: fits
            if (minus) e = -e;
            i = j;
        }
    }
    if (i + 1 < h.size() && h[i] == ',' && Digit(h[i + 1])) {
        ref.error = TypedError::CommaDecimal;
        return ref;
    }
    // The whole text, not only its first 19 characters, must be one number
    // between blanks.
    static const std::regex kWhole("[ \t\n\v\f\r]*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?[ \t\n\v\f\r]*");
    if (!std::regex_match(text, kWhole)) {
        ref.error = TypedError::TrailingText;
        return ref;
    }
    size_t first = all.find_first_not_of('0');
    if (first == std::string::npos) return ref;
    ref.digits = all.substr(first);
    ref.exponent = e - afterPoint;
    while (ref.digits.size() > 1 && ref.digits.back() == '0') {
        ref.digits.pop_back();
        ++ref.exponent;
    }
    return ref;
}

// --- unsigned big integers, little-endian base 2^32 ---

struct Big {
    std::vector<uint32_t> limb;

    static Big Of(const std::string& digits) {
        Big b;
        for (char c : digits) b.MulAdd(10, static_cast<uint32_t>(c - '0'));
        return b;
    }
    static Big Of(uint64_t v) {
        Big b;
        b.limb = {static_cast<uint32_t>(v), static_cast<uint32_t>(v >> 32)};
        b.Trim();
        return b;
    }
    void Trim() {
        while (!limb.empty() && limb.back() == 0) limb.pop_back();
    }
    void MulAdd(uint32_t m, uint32_t add) {
        uint64_t carry = add;
        for (uint32_t& l : limb) {
            const uint64_t v = static_cast<uint64_t>(l) * m + carry;
            l = static_cast<uint32_t>(v);
            carry = v >> 32;
        }
        if (carry) limb.push_back(static_cast<uint32_t>(carry));
        Trim();
    }
    void MulPow10(long long k) {
        for (; k >= 9; k -= 9) MulAdd(1000000000u, 0);
        for (; k > 0; --k) MulAdd(10, 0);
    }
    void Shl(long long bits) {
        if (limb.empty()) return;
        limb.insert(limb.begin(), static_cast<size_t>(bits / 32), 0u);
        const int r = static_cast<int>(bits % 32);
        if (r == 0) return;
        uint32_t carry = 0;
        for (uint32_t& l : limb) {
            const uint32_t next = l >> (32 - r);
            l = l << r | carry;
            carry = next;
        }
        if (carry) limb.push_back(carry);
    }
    void Add(const Big& o) {
        if (limb.size() < o.limb.size()) limb.resize(o.limb.size(), 0);
        uint64_t carry = 0;
        for (size_t i = 0; i < limb.size(); ++i) {
            const uint64_t v = static_cast<uint64_t>(limb[i]) + (i < o.limb.size() ? o.limb[i] : 0) + carry;
            limb[i] = static_cast<uint32_t>(v);
            carry = v >> 32;
        }
        if (carry) limb.push_back(static_cast<uint32_t>(carry));
    }
    static int Compare(const Big& a, const Big& b) {
        if (a.limb.size() != b.limb.size()) return a.limb.size() < b.limb.size() ? -1 : 1;
        for (size_t i = a.limb.size(); i-- > 0;)
            if (a.limb[i] != b.limb[i]) return a.limb[i] < b.limb[i] ? -1 : 1;
        return 0;
    }
};

// A non-negative dyadic number mantissa x 2^exponent.
struct Dyadic {
    Big mantissa;
    long long exponent = 0;
};

template <class T>
Dyadic Exactly(T v) {  // v finite, >= 0
    Dyadic d;
    if (v == 0) return d;
    int e = 0;
    const T f = std::frexp(v, &e);
    constexpr int bits = std::numeric_limits<T>::digits;
    d.mantissa = Big::Of(static_cast<uint64_t>(std::ldexp(f, bits)));
    d.exponent = e - bits;
    return d;
}

Dyadic Midpoint(const Dyadic& a, const Dyadic& b) {
    const long long low = std::min(a.exponent, b.exponent);
    Dyadic m{a.mantissa, low - 1};
    m.mantissa.Shl(a.exponent - low);
    Big other = b.mantissa;
    other.Shl(b.exponent - low);
    m.mantissa.Add(other);
    return m;
}

// digits x 10^k against a dyadic number: -1, 0, 1.
int CompareDecimal(const Reference& x, const Dyadic& d) {
    if (d.mantissa.limb.empty()) return x.digits.empty() ? 0 : 1;
    Big left = Big::Of(x.digits), right = d.mantissa;
    if (x.exponent >= 0)
        left.MulPow10(x.exponent);
    else
        right.MulPow10(-x.exponent);
    if (d.exponent >= 0)
        right.Shl(d.exponent);
    else
        left.Shl(-d.exponent);
    return Big::Compare(left, right);
}

// The binary readers: the result must be the nearest T to the decimal value.
template <class T>
void CheckBinary(const std::string& text, TypedError got, T value, const Reference& ref, const char* what) {
    if (ref.error != TypedError::None) {
        FUZZ_CHECK(got == ref.error, "%s '%s': error %d, want %d", what, text.c_str(), int(got), int(ref.error));
        return;
    }
    using L = std::numeric_limits<T>;
    const long long magnitude = static_cast<long long>(ref.digits.size()) + ref.exponent;  // x < 10^magnitude
    // The overflow threshold: halfway from the largest finite value to 2^(max_exponent).
    Dyadic top = Exactly(L::max());
    Dyadic beyond{Big::Of(1), L::max_exponent};
    const Dyadic threshold = Midpoint(top, beyond);
    bool overflows = false;
    if (!ref.digits.empty() && magnitude > L::max_exponent10 + 1)
        overflows = true;
    else if (!ref.digits.empty() && magnitude == L::max_exponent10 + 1)
        overflows = CompareDecimal(ref, threshold) >= 0;
    if (overflows) {
        FUZZ_CHECK(got == TypedError::OutOfRange, "%s '%s': not refused as out of range", what, text.c_str());
        return;
    }
    FUZZ_CHECK(got == TypedError::None, "%s '%s': refused (%d) though it is in range", what, text.c_str(), int(got));
    FUZZ_CHECK(std::isfinite(value), "%s '%s': not finite", what, text.c_str());
    FUZZ_CHECK(std::signbit(value) == ref.negative, "%s '%s': wrong sign", what, text.c_str());
    const T mag = std::fabs(value);
    if (ref.digits.empty()) {
        FUZZ_CHECK(mag == 0, "%s '%s': zero read as %g", what, text.c_str(), double(value));
        return;
    }
    if (magnitude < L::min_exponent10 - L::digits10 - 5) {  // far below the smallest subnormal
        FUZZ_CHECK(mag == 0, "%s '%s': %g for a value that rounds to zero", what, text.c_str(), double(value));
        return;
    }
    const Dyadic here = Exactly(mag);
    const Dyadic below = mag == 0 ? Dyadic{} : Exactly(std::nextafter(mag, T(0)));
    const Dyadic above = mag == L::max() ? beyond : Exactly(std::nextafter(mag, L::infinity()));
    const int lo = mag == 0 ? 1 : CompareDecimal(ref, Midpoint(below, here));
    const int hi = CompareDecimal(ref, Midpoint(here, above));
    bool lastBitEven = true;
    if (mag != 0) {
        int e = 0;
        (void)std::frexp(mag, &e);
        const int ulp = std::max(L::min_exponent - L::digits, e - L::digits);  // exponent of one unit in the last place
        lastBitEven = std::fmod(std::ldexp(mag, -ulp), T(2)) == 0;
    }
    FUZZ_CHECK(lo >= 0 && hi <= 0, "%s '%s': %.17g is not the nearest (%d %d)", what, text.c_str(), double(value), lo,
               hi);
    if (lo == 0 || hi == 0)
        FUZZ_CHECK(lastBitEven, "%s '%s': a tie not rounded to even: %.17g", what, text.c_str(), double(value));
}

void CheckScaled(const std::string& text, int32_t multiplier, const Reference& ref) {
    int64_t got = 0x5A5A;
    const TypedError e = ScaleTyped(text, multiplier, &got);
    if (ref.error != TypedError::None) {
        FUZZ_CHECK(e == ref.error, "scaled '%s': error %d, want %d", text.c_str(), int(e), int(ref.error));
        return;
    }
    if (ref.digits.empty() || multiplier == 0) {
        FUZZ_CHECK(e == TypedError::None && got == 0, "scaled '%s' x %d: zero", text.c_str(), multiplier);
        return;
    }
    // |number x multiplier| as decimal digits, then cut to its whole part.
    const uint64_t m = multiplier < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(multiplier))
                                      : static_cast<uint64_t>(multiplier);
    std::string product;
    {
        std::vector<int> acc(ref.digits.size() + 12, 0);
        for (size_t k = 0; k < ref.digits.size(); ++k) {
            uint64_t carry = static_cast<uint64_t>(ref.digits[ref.digits.size() - 1 - k] - '0') * m;
            for (size_t p = k; carry; ++p) {
                carry += static_cast<uint64_t>(acc[p]);
                acc[p] = static_cast<int>(carry % 10);
                carry /= 10;
            }
        }
        for (size_t p = acc.size(); p-- > 0;) product += static_cast<char>('0' + acc[p]);
        product.erase(0, product.find_first_not_of('0'));
    }
    const bool negative = ref.negative != (multiplier < 0);
    std::string whole;
    bool tooLong = false;
    if (ref.exponent >= 0) {
        if (static_cast<long long>(product.size()) + ref.exponent > 25)
            tooLong = true;
        else
            whole = product + std::string(static_cast<size_t>(ref.exponent), '0');
    } else if (-ref.exponent < static_cast<long long>(product.size())) {
        whole = product.substr(0, product.size() - static_cast<size_t>(-ref.exponent));
    }
    const std::string limit = negative ? "9223372036854775808" : "9223372036854775807";
    const bool over = tooLong || whole.size() > limit.size() || (whole.size() == limit.size() && whole > limit);
    if (over) {
        FUZZ_CHECK(e == TypedError::OutOfRange, "scaled '%s' x %d: not refused", text.c_str(), multiplier);
        FUZZ_CHECK(got == 0x5A5A, "scaled: out written on a refusal");
        return;
    }
    uint64_t u = 0;
    for (char c : whole) u = u * 10 + static_cast<uint64_t>(c - '0');
    const int64_t want = negative ? static_cast<int64_t>(0 - u) : static_cast<int64_t>(u);
    FUZZ_CHECK(e == TypedError::None && got == want, "scaled '%s' x %d: %lld, want %lld (error %d)", text.c_str(),
               multiplier, static_cast<long long>(got), static_cast<long long>(want), int(e));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5 || size > 64) return 0;
    static constexpr int32_t kCommon[] = {1, 10, 100, 1000, 10000, -1, -10, 2};
    int32_t multiplier;
    if (data[0] < 0xC0)
        multiplier = kCommon[data[0] % 8];
    else
        std::memcpy(&multiplier, data + 1, sizeof multiplier);
    const std::string text(reinterpret_cast<const char*>(data + 5), size - 5);
    const Reference ref = Read(text);

    CheckScaled(text, multiplier, ref);
    // Parsed before the check is called: its arguments may be evaluated in any order.
    double d = 0;
    const TypedError de = ParseTyped(text, &d);
    CheckBinary(text, de, d, ref, "double");
    float f = 0;
    const TypedError fe = ParseTypedSingle(text, &f);
    CheckBinary(text, fe, f, ref, "single");
    return 0;
}
