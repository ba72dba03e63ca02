#pragma once
// A link and its master talking to a simulated device: in memory (SimLink),
// or on a pseudo-terminal through the serial port and its receive thread
// (WireLink).
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "modbus/crc16.h"
#include "modbus/modbus_master.h"
#include "serial/rx_pump.h"
#include "sim/memory_line.h"
#include "sim/simulator.h"

namespace veltrano::test {

// A link to the device, its receive side running: the serial port's on a
// started simulator, the memory line's own wire.
inline std::unique_ptr<Link> LinkTo(sim::Simulator& sim, const std::string& linkPath = "") {
    std::string error;
    EXPECT_TRUE(sim.Start(&error, linkPath)) << error;
    auto link = std::make_unique<Link>();
    link->StartReceiving();
    return link;
}
inline std::unique_ptr<Link> LinkTo(sim::MemoryLine& line, const std::string& = "") {
    return std::make_unique<Link>(line.MakeWire());
}

// Time passes with no exchange.
inline void Idle(sim::Simulator&, int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
inline void Idle(sim::MemoryLine& line, int ms) { line.Idle(ms); }

template <class Line>
struct SimLinkOn {
    explicit SimLinkOn(const sim::Device::Config& config, const std::string& linkPath = "")
        : sim(config), linkOwner(LinkTo(sim, linkPath)), link(*linkOwner), master(link) {}
    ~SimLinkOn() {
        link.StopReceiving();
        link.wire().Close();
    }
    // Opens the port at `baud` and addresses the device.
    bool Open(uint32_t baud, uint8_t address) {
        link.deviceAddress = address;
        return link.Reopen(sim.path(), baud) != 0;
    }

    Line sim;
    std::unique_ptr<Link> linkOwner;
    Link& link;
    ModbusMaster master;
};

using SimLink = SimLinkOn<sim::MemoryLine>;
using WireLink = SimLinkOn<sim::Simulator>;

inline sim::Device::Config DeviceAt(uint8_t address, uint32_t baud, uint8_t dialects = sim::kDialectNone) {
    sim::Device::Config c;
    c.address = address;
    c.baud = baud;
    c.dialects = dialects;
    return c;
}

inline std::vector<uint8_t> WithCrc(std::vector<uint8_t> bytes) {
    const uint16_t crc = Crc16(bytes.data(), static_cast<uint32_t>(bytes.size()));
    bytes.push_back(static_cast<uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<uint8_t>(crc >> 8));
    return bytes;
}

}  // namespace veltrano::test
