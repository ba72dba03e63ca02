#pragma once
// The connection panel: read and change the bus address and baud rate of
// the device on the port, over one of three routes: the FD FD FD short
// frame, or the communication registers 0x0200-0x0204 at address 255
// (broadcast route) or 0 (zero-address route).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "modbus/comm_codes.h"
#include "modbus/verdict.h"
#include "serial/link.h"
#include "ui/dialog.h"

namespace veltrano::app {

// Input errors of the panel (the baud-rate Set up spells the first
// "Address cannot be 0").
inline constexpr const char* kAddressZeroText = "Address Cannot be 0";
inline constexpr const char* kAddressRangeText = "Address must be 1 to 255";
inline constexpr const char* kBaudErrorText = "Baudrate Error";

struct ConnectionState {
    uint32_t currentBaud = 0;
    bool inquiryGuard = false;
    bool broadcastRoute = false;
    bool zeroAddressRoute = false;
    uint8_t lineFormat[3] = {0, 0, 0};  // low bytes of 0x0202 (parity), 0x0203, 0x0204
    // The baud-rate code last read from register 0x0201, repeated by an
    // address write when it names no rate of the table.
    int registerBaudCode = -1;
};

// Requests of the connection routes.
std::vector<uint8_t> ShortFrame(uint8_t baudCode, uint8_t address);
std::vector<uint8_t> RegisterBlockRead(uint8_t routeAddress);
std::vector<uint8_t> RegisterBlockWrite(uint8_t routeAddress, uint8_t address, uint8_t baudCode);

// What the panel's replies say, read without touching any state: pure
// functions of the n bytes received, so that they can be tried on any bytes.
struct ShortFrameReply {
    uint32_t baud = 0;  // 2400, 4800 or 9600
    uint8_t address = 0;
};
// FD FD FD, a short-frame rate code (1 to 3), the address, a CRC that checks.
ReplyVerdict JudgeShortFrameReply(const uint8_t* reply, uint16_t n, ShortFrameReply* out);
bool ReadShortFrameReply(const uint8_t* reply, uint16_t n, ShortFrameReply* out);

struct RegisterBlockReply {
    uint8_t address = 0;
    uint8_t baudCode = 0;  // as received; `baud` is 0 when it names no rate
    uint32_t baud = 0;
    uint8_t lineFormat[3] = {0, 0, 0};
};
// The five communication registers, judged by the CRC alone.
ReplyVerdict JudgeRegisterBlockReply(const uint8_t* reply, uint16_t n, uint8_t routeAddress, RegisterBlockReply* out);
bool ReadRegisterBlockReply(const uint8_t* reply, uint16_t n, RegisterBlockReply* out);
// A reply to a register-route write: its CRC checks and it is no refusal.
ReplyVerdict JudgeRegisterWriteReply(const uint8_t* reply, uint16_t n, uint8_t routeAddress);
bool RegisterWriteReplyAccepted(const uint8_t* reply, uint16_t n);

class ConnectionPanel {
public:
    ConnectionPanel(ui::Dialog& window, Link& link, ConnectionState& state,
                    std::function<std::string()> selectedPortPath);

    void Inquire();
    void SetAddress();
    void SetBaud();
    void EnableButtons(bool enabled);

    // Reply parsers; on success they update the state and deviceAddress.
    // Either way the link's observers are told the verdict.
    bool ParseShortFrame(const uint8_t* reply, uint16_t n);
    bool ParseRegisterBlock(const uint8_t* reply, uint16_t n, uint8_t routeAddress);
    // The common exchange step; returns the reply length (0: none).
    uint16_t Exchange(const std::vector<uint8_t>& request);

private:
    enum class Route { Short, Broadcast, Zero };
    Route CurrentRoute() const;
    uint8_t BaudCodeForAddressWrite() const;
    // A reply of n bytes to a register-route write is a success.
    bool RegisterWriteAccepted(uint16_t n, uint8_t routeAddress) const;
    // The address typed in edit 1002, 1 to 255; else the input error is shown.
    bool TypedAddress(const char* zeroText, uint8_t* address);

    ui::Dialog& window_;
    Link& link_;
    ConnectionState& state_;
    std::function<std::string()> selectedPortPath_;
};

}  // namespace veltrano::app
