#include "sim/device.h"

#include <cmath>
#include <cstring>
#include <map>

#include "modbus/comm_codes.h"
#include "modbus/crc16.h"

namespace veltrano::sim {
namespace {

constexpr uint16_t kCommFirst = 0x0200;
constexpr uint16_t kCommLast = 0x0204;

void Crc(std::vector<uint8_t>& bytes) {
    const uint16_t crc = Crc16(bytes.data(), static_cast<uint32_t>(bytes.size()));
    bytes.push_back(static_cast<uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<uint8_t>(crc >> 8));
}

std::vector<uint8_t> Exception(uint8_t address, uint8_t function, uint8_t code) {
    std::vector<uint8_t> b{address, static_cast<uint8_t>(function | 0x80), code};
    Crc(b);
    return b;
}

double Quantity(const RegisterDef& s, double t) {
    const double w = 2.0 * M_PI * (t + s.phase) / (s.period > 0 ? s.period : 60);
    switch (s.behaviour) {
        case Behaviour::Fixed:
        case Behaviour::Stored: return s.base;
        case Behaviour::Wave:
            // A slow swing plus a small faster wobble, so that values visibly move.
            return s.base + s.amplitude * std::sin(w) + s.amplitude * 0.08 * std::sin(w * 13.7 + 1.3);
        case Behaviour::Alarm: {
            const double frac = std::fmod(t + s.phase, s.period) / s.period;
            return frac >= 1.0 - s.duty ? s.amplitude : s.base;  // starts normal, trips late in each period
        }
        case Behaviour::Daylight: return s.base + s.amplitude * (1.0 + std::sin(w)) / 2.0;
        case Behaviour::Steps: {
            const double steps = s.amplitude >= 1 ? std::floor(s.amplitude) : 1;
            const double period = s.period > 0 ? s.period : 60;
            return s.base + std::fmod(std::floor((t + s.phase) / period), steps);
        }
        case Behaviour::Ramp: return s.base + s.amplitude * (t + s.phase) / (s.period > 0 ? s.period : 60);
    }
    return s.base;
}

// The register words of a quantity, high word first for two-register values.
void Encode(const RegisterDef& s, double q, uint16_t words[2]) {
    const double v = q * s.scale;
    switch (s.encoding) {
        case Encoding::S16: {
            const double r = std::fmax(-32768.0, std::fmin(32767.0, std::round(v)));
            words[0] = static_cast<uint16_t>(static_cast<int16_t>(r));
            break;
        }
        case Encoding::U16: {
            const double r = std::fmax(0.0, std::fmin(65535.0, std::round(v)));
            words[0] = static_cast<uint16_t>(r);
            break;
        }
        case Encoding::U32: {
            const double r = std::fmax(0.0, std::fmin(4294967295.0, std::round(v)));
            const uint32_t u = static_cast<uint32_t>(r);
            words[0] = static_cast<uint16_t>(u >> 16);
            words[1] = static_cast<uint16_t>(u & 0xFFFF);
            break;
        }
        case Encoding::F32: {
            const float f = static_cast<float>(v);
            uint32_t u;
            std::memcpy(&u, &f, sizeof u);
            words[0] = static_cast<uint16_t>(u >> 16);
            words[1] = static_cast<uint16_t>(u & 0xFFFF);
            break;
        }
    }
}

int Width(Encoding e) { return (e == Encoding::U32 || e == Encoding::F32) ? 2 : 1; }

}  // namespace

Device::Device(const Config& config) : config_(config), values_(65536, 0) {
    if (!config_.profile) return;
    slots_.assign(65536, Slot{});
    for (const RegisterDef& s : config_.profile->registers) {
        const int width = Width(s.encoding);
        uint16_t words[2] = {0, 0};
        Encode(s, s.base, words);
        for (int w = 0; w < width; ++w) {
            const uint16_t reg = static_cast<uint16_t>(s.reg + w);
            slots_[reg] = Slot{true, s.behaviour == Behaviour::Stored, &s, w};
            values_[reg] = words[w];
        }
    }
}

bool Device::IsCommRegister(uint16_t reg) const {
    return (config_.dialects & (kDialectBroadcast | kDialectZero)) && reg >= kCommFirst && reg <= kCommLast;
}

bool Device::ReadWord(uint16_t reg, double now, uint16_t* out) {
    if (IsCommRegister(reg)) {
        switch (reg - kCommFirst) {
            case 0: *out = config_.address; break;
            case 1: {
                const int code = RegisterCodeOf(config_.baud);
                *out = static_cast<uint16_t>(code < 0 ? 3 : code);
                break;
            }
            case 2: *out = config_.parity; break;
            case 3: *out = config_.lineFormat3; break;
            default: *out = config_.lineFormat4; break;
        }
        return true;
    }
    if (slots_.empty()) {
        *out = values_[reg];
        return true;
    }
    const Slot& slot = slots_[reg];
    if (!slot.exists) return false;
    if (!slot.def || slot.def->behaviour == Behaviour::Stored || slot.def->behaviour == Behaviour::Fixed) {
        *out = values_[reg];
        return true;
    }
    uint16_t words[2] = {0, 0};
    // Both words of a two-register value carry the tuning of its first register.
    const uint16_t first = static_cast<uint16_t>(reg - slot.word);
    Encode(*slot.def, Quantity(*slot.def, now) * Gain(first) + Offset(first), words);
    *out = words[slot.word];
    return true;
}

double Device::Reading(uint16_t reg, double now) {
    if (slots_.empty() || !slots_[reg].exists || !slots_[reg].def) return 0;
    return Quantity(*slots_[reg].def, now);
}

double Device::Offset(uint16_t reg) {
    auto it = tuning_.find(reg);
    return it == tuning_.end() ? 0.0 : it->second.offset;
}

double Device::Gain(uint16_t reg) {
    auto it = tuning_.find(reg);
    return it == tuning_.end() ? 1.0 : it->second.gain;
}

bool Device::WriteWord(uint16_t reg, uint16_t value, Reply& reply, double now) {
    if (IsCommRegister(reg)) {
        switch (reg - kCommFirst) {
            case 0:
                if ((value & 0xFF) != 0) config_.address = static_cast<uint8_t>(value & 0xFF);
                break;
            case 1:
                if (uint32_t b = RegisterCodeRate(static_cast<uint8_t>(value & 0xFF))) reply.newBaud = b;
                break;
            case 2: config_.parity = static_cast<uint8_t>(value & 0xFF); break;
            case 3: config_.lineFormat3 = static_cast<uint8_t>(value & 0xFF); break;
            default: config_.lineFormat4 = static_cast<uint8_t>(value & 0xFF); break;
        }
        return true;
    }
    if (!slots_.empty() && (!slots_[reg].exists || !slots_[reg].writable)) return false;
    values_[reg] = value;
    if (config_.profile && config_.profile->onWrite) config_.profile->onWrite(*this, reg, value, now);
    return true;
}

std::vector<uint8_t> Device::HandleShort(const std::vector<uint8_t>& f, Reply& reply) {
    // FD FD FD <baud code> <address>: 0 in either field means "no change".
    const uint8_t code = f[3];
    const uint8_t addr = f[4];
    if (code != 0) {
        const uint32_t b = ShortCodeRate(code);
        if (b == 0) return {};
        reply.newBaud = b;
    }
    if (addr != 0) config_.address = addr;
    const uint32_t rate = reply.newBaud ? *reply.newBaud : config_.baud;
    const int replyCode = ShortCodeOf(rate);
    std::vector<uint8_t> b{0xFD, 0xFD, 0xFD, static_cast<uint8_t>(replyCode < 0 ? 0 : replyCode), config_.address};
    Crc(b);
    return b;
}

std::vector<uint8_t> Device::HandleModbus(const std::vector<uint8_t>& f, double now, Reply& reply) {
    const uint8_t to = f[0];
    const bool mine = to == config_.address && to != 0;
    const bool broadcast = to == 0xFF && (config_.dialects & kDialectBroadcast);
    const bool zero = to == 0x00 && (config_.dialects & kDialectZero);
    if (!mine && !broadcast && !zero) return {};
    const uint8_t function = f[1];
    auto word = [&](size_t at) { return static_cast<uint16_t>(f[at] << 8 | f[at + 1]); };

    switch (function) {
        case 0x03: {
            if (f.size() != 8) return Exception(to, function, 0x03);
            const uint16_t start = word(2), count = word(4);
            if (count < 1 || count > 125) return Exception(to, function, 0x03);
            if (start + count > 65536) return Exception(to, function, 0x02);
            std::vector<uint8_t> b{to, function, static_cast<uint8_t>(2 * count)};
            for (uint16_t i = 0; i < count; ++i) {
                uint16_t v;
                if (!ReadWord(static_cast<uint16_t>(start + i), now, &v)) return Exception(to, function, 0x02);
                b.push_back(static_cast<uint8_t>(v >> 8));
                b.push_back(static_cast<uint8_t>(v & 0xFF));
            }
            Crc(b);
            return b;
        }
        case 0x06: {
            if (f.size() != 8) return Exception(to, function, 0x03);
            if (!WriteWord(word(2), word(4), reply, now)) return Exception(to, function, 0x02);
            return std::vector<uint8_t>(f.begin(), f.end());
        }
        case 0x10: {
            if (f.size() < 9) return Exception(to, function, 0x03);
            const uint16_t start = word(2), count = word(4);
            const uint8_t bytes = f[6];
            if (count < 1 || count > 123 || bytes != 2 * count || f.size() != 9u + bytes)
                return Exception(to, function, 0x03);
            if (start + count > 65536) return Exception(to, function, 0x02);
            if (!slots_.empty()) {
                for (uint16_t i = 0; i < count; ++i) {
                    const uint16_t r = static_cast<uint16_t>(start + i);
                    if (!IsCommRegister(r) && (!slots_[r].exists || !slots_[r].writable))
                        return Exception(to, function, 0x02);
                }
            }
            for (uint16_t i = 0; i < count; ++i)
                WriteWord(static_cast<uint16_t>(start + i), word(7 + 2 * i), reply, now);
            std::vector<uint8_t> b(f.begin(), f.begin() + 6);
            Crc(b);
            return b;
        }
        default: return Exception(to, function, 0x01);
    }
}

void Device::ApplyFault(std::vector<uint8_t>& b, Reply& reply, uint8_t function) {
    if (fault_.kind == Fault::Kind::None || fault_.count == 0) return;
    switch (fault_.kind) {
        case Fault::Kind::None: break;
        case Fault::Kind::Silent: b.clear(); break;
        case Fault::Kind::BadCrc: b.back() ^= 0x5A; break;
        case Fault::Kind::WrongAddress:
            b.resize(b.size() - 2);
            b[0] = static_cast<uint8_t>(b[0] + 1);
            Crc(b);
            break;
        case Fault::Kind::Exception: {
            const uint8_t addr = b[0];
            b = Exception(addr, function, static_cast<uint8_t>(fault_.param ? fault_.param : 4));
            break;
        }
        case Fault::Kind::Split:
            reply.splitAfter = static_cast<int>(b.size() / 2);
            reply.splitGapMs = fault_.param;
            break;
        case Fault::Kind::Delay: reply.delayMs = fault_.param; break;
        case Fault::Kind::Noise: {
            std::vector<uint8_t> noise;
            uint32_t x = 0x2545F491u;
            for (int i = 0; i < fault_.param; ++i) {
                x = x * 1664525u + 1013904223u;
                noise.push_back(static_cast<uint8_t>(x >> 24));
            }
            b.insert(b.begin(), noise.begin(), noise.end());
            break;
        }
        case Fault::Kind::EchoMismatch:
            if (b.size() >= 5) {
                b.resize(b.size() - 2);
                b.back() ^= 0x01;
                Crc(b);
            }
            break;
        case Fault::Kind::Replace:
            b = fault_.bytes;
            if (fault_.appendCrc) Crc(b);
            break;
    }
    if (fault_.count > 0 && --fault_.count == 0) fault_ = Fault{};
}

Device::Reply Device::Handle(const std::vector<uint8_t>& frame, double now) {
    std::lock_guard<std::mutex> lock(mutex_);
    Reply reply;
    if (frame.size() < 4 || !CrcMatches(frame.data(), static_cast<uint32_t>(frame.size()))) return reply;
    const bool shortFrame = frame.size() == 7 && frame[0] == 0xFD && frame[1] == 0xFD && frame[2] == 0xFD;
    if (shortFrame) {
        if (!(config_.dialects & kDialectShort)) return reply;
        reply.bytes = HandleShort(frame, reply);
    } else {
        reply.bytes = HandleModbus(frame, now, reply);
    }
    if (reply.bytes.empty()) {
        reply.newBaud.reset();
        return reply;
    }
    ApplyFault(reply.bytes, reply, frame[1]);
    return reply;
}

void Device::SetRegister(uint16_t reg, uint16_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    values_[reg] = value;
    if (slots_.empty()) return;
    // A value set from outside replaces whatever the profile computes there.
    Slot& slot = slots_[reg];
    if (!slot.exists) slot = Slot{true, true, nullptr, 0};
    slot.def = nullptr;
}

uint16_t Device::GetRegister(uint16_t reg, double now) {
    std::lock_guard<std::mutex> lock(mutex_);
    uint16_t v = 0;
    ReadWord(reg, now, &v);
    return v;
}

void Device::SetFault(const Fault& fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    fault_ = fault;
}

uint8_t Device::address() {
    std::lock_guard<std::mutex> lock(mutex_);
    return config_.address;
}

uint32_t Device::baud() {
    std::lock_guard<std::mutex> lock(mutex_);
    return config_.baud;
}

void Device::SetBaud(uint32_t baud) {
    std::lock_guard<std::mutex> lock(mutex_);
    config_.baud = baud;
}

void Device::SetLineFormat(uint8_t parity, uint8_t format3, uint8_t format4) {
    std::lock_guard<std::mutex> lock(mutex_);
    config_.parity = parity;
    config_.lineFormat3 = format3;
    config_.lineFormat4 = format4;
}

}  // namespace veltrano::sim
