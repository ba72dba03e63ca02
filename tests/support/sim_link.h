#pragma once
// A link with its receive thread, talking to a simulated device on a
// pseudo-terminal: the arrangement most tests need.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "modbus/crc16.h"
#include "modbus/modbus_master.h"
#include "serial/rx_pump.h"
#include "sim/simulator.h"

namespace veltrano::test {

struct SimLink {
    explicit SimLink(const sim::Device::Config& config, const std::string& linkPath = "")
        : sim(config), master(link) {
        std::string error;
        started = sim.Start(&error, linkPath);
        EXPECT_TRUE(started) << error;
        link.StartReceiving();
    }
    ~SimLink() {
        link.StopReceiving();
        link.wire().Close();
    }
    // Opens the port at `baud` and addresses the device.
    bool Open(uint32_t baud, uint8_t address) {
        link.deviceAddress = address;
        return link.Reopen(sim.path(), baud) != 0;
    }

    sim::Simulator sim;
    Link link;
    ModbusMaster master;
    bool started = false;
};

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
