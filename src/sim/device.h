#pragma once
// One simulated RS-485 device: registers, the Modbus RTU slave functions
// 03, 06 and 16, the discovery dialects and injected faults. No I/O here:
// the pseudo-terminal peer feeds it frames and sends back what it returns.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "sim/profile.h"

namespace veltrano::sim {

struct Fault {
    enum class Kind {
        None,
        Silent,        // no reply
        BadCrc,        // reply with its CRC corrupted
        WrongAddress,  // reply from address + 1, with a right CRC
        Exception,     // exception reply, code `param` (default 4)
        Split,         // reply in two halves, `param` ms apart
        Delay,         // reply `param` ms late
        Noise,         // `param` noise bytes right before the reply
        EchoMismatch,  // reply with one data byte changed, right CRC
        Replace,       // send `bytes` instead (CRC appended when `appendCrc`)
    };
    Kind kind = Kind::None;
    int param = 0;
    int count = -1;  // replies affected; -1: every reply
    std::vector<uint8_t> bytes;
    bool appendCrc = true;
};

class Device : private Tuning {
public:
    struct Config {
        uint8_t address = 1;
        uint32_t baud = 9600;
        uint8_t dialects = kDialectNone;
        const Profile* profile = nullptr;  // none: every register exists
        uint8_t parity = 0;                // register 0x0202
        uint8_t lineFormat3 = 0;           // register 0x0203
        uint8_t lineFormat4 = 1;           // register 0x0204
    };

    // What to put on the wire for one request.
    struct Reply {
        std::vector<uint8_t> bytes;  // empty: stay silent
        int splitAfter = 0;          // >0: pause after this many bytes
        int splitGapMs = 0;
        int delayMs = 0;
        std::optional<uint32_t> newBaud;  // switch the line rate after replying
    };

    explicit Device(const Config& config);

    // Thread-safe.
    Reply Handle(const std::vector<uint8_t>& frame, double nowSeconds);
    void SetRegister(uint16_t reg, uint16_t value);
    uint16_t GetRegister(uint16_t reg, double nowSeconds = 0);
    void SetFault(const Fault& fault);
    uint8_t address();
    uint32_t baud();
    void SetBaud(uint32_t baud);
    void SetLineFormat(uint8_t parity, uint8_t format3, uint8_t format4);
    const Profile* profile() const { return config_.profile; }

private:
    struct Slot {
        bool exists = false;
        bool writable = true;
        const RegisterDef* def = nullptr;
        int word = 0;  // 0 or 1 within a two-register value
    };

    // Tuning, for the profile's write hook; called with the mutex held.
    double Reading(uint16_t reg, double now) override;
    uint16_t Stored(uint16_t reg) override { return values_[reg]; }
    void Store(uint16_t reg, uint16_t value) override { values_[reg] = value; }
    void SetOffset(uint16_t reg, double offset) override { tuning_[reg].offset = offset; }
    void SetGain(uint16_t reg, double gain) override { tuning_[reg].gain = gain; }
    double Offset(uint16_t reg) override;
    double Gain(uint16_t reg) override;

    std::vector<uint8_t> HandleModbus(const std::vector<uint8_t>& frame, double now, Reply& reply);
    std::vector<uint8_t> HandleShort(const std::vector<uint8_t>& frame, Reply& reply);
    bool ReadWord(uint16_t reg, double now, uint16_t* out);
    bool WriteWord(uint16_t reg, uint16_t value, Reply& reply, double now);
    bool IsCommRegister(uint16_t reg) const;
    void ApplyFault(std::vector<uint8_t>& bytes, Reply& reply, uint8_t function);

    std::mutex mutex_;
    Config config_;
    std::vector<uint16_t> values_;
    std::vector<Slot> slots_;
    struct Tune {
        double offset = 0;
        double gain = 1;
    };
    std::map<uint16_t, Tune> tuning_;
    Fault fault_;
};

}  // namespace veltrano::sim
