#pragma once
// Shared by the fuzz targets: a failed property aborts with its reason (the
// fuzzer then keeps the input), and a CRC written bit by bit from the rule
// rather than from the tables the code under test uses.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#define FUZZ_CHECK(cond, ...)                                                                 \
    do {                                                                                      \
        if (!(cond)) {                                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::fprintf(stderr, __VA_ARGS__);                                                \
            std::fprintf(stderr, "\n");                                                       \
            std::abort();                                                                     \
        }                                                                                     \
    } while (0)

namespace fuzz {

// CRC-16/MODBUS: reflected 0xA001, initial 0xFFFF, no final XOR.
inline uint16_t SlowCrc(const uint8_t* bytes, size_t length) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

// The last two of n bytes are the CRC of the rest, low byte first.
inline bool CrcCloses(const uint8_t* frame, size_t n) {
    if (n < 2) return false;
    const uint16_t crc = SlowCrc(frame, n - 2);
    return frame[n - 2] == (crc & 0xFF) && frame[n - 1] == (crc >> 8);
}

// The reply as a buffer of exactly its length, so that the address
// sanitizer reports any byte read past what was received.
inline std::vector<uint8_t> Exact(const uint8_t* data, size_t n) { return std::vector<uint8_t>(data, data + n); }

}  // namespace fuzz
