#include "app/baud_scan.h"

#include <cstdio>

#include "app/main_ids.h"
#include "modbus/crc16.h"
#include "modbus/exchange.h"

namespace veltrano::app {

std::string ParityName(uint8_t parity) {
    switch (parity) {
        case 0: return "No Check";
        case 1: return "Odd Parity Check";
        case 2: return "Parity Check";
        default: return "Error Checking";
    }
}

BaudRateTest::BaudRateTest(ui::Dialog& window, Link& link, ConnectionState& state, ConnectionPanel& panel,
                           std::function<std::string()> selectedPortPath)
    : window_(window), link_(link), state_(state), panel_(panel), selectedPortPath_(std::move(selectedPortPath)) {}

void BaudRateTest::EndScan() {
    window_.Enable(kTestBaudRate, true);
    window_.Enable(kPortList, true);
}

bool BaudRateTest::OpenAt(const std::string& path, uint32_t rate) {
    if (path.empty() || !link_.Reopen(path, rate)) {
        std::string text = "Serial port open failed!";
        if (!path.empty()) {
            if (const std::string why = link_.wire().OpenErrorText(); !why.empty()) text += "\n" + why;
        } else {
            text += "\nNo serial port is selected.";
        }
        text_ = text;
        window_.MessageBox(text, "Warning", ui::Icon::Question, ui::Buttons::Ok);
        EndScan();
        return false;
    }
    window_.Enable(kTestBaudRate, false);
    window_.Enable(kPortList, false);
    return true;
}

namespace {
std::string Format(const char* pattern, int a, int b) {
    char buf[256];
    std::snprintf(buf, sizeof buf, pattern, a, b);
    return buf;
}
}  // namespace

bool BaudRateTest::RegisterPass(uint8_t routeAddress, const char* format, const char* normalCaption) {
    ReportActivity(link_, "communication registers at address " + std::to_string(routeAddress) + ", 9600 baud");
    const uint16_t n = panel_.Exchange(RegisterBlockRead(routeAddress));
    if (!panel_.ParseRegisterBlock(link_.rxBuffer, n, routeAddress) || n <= 3) return false;
    window_.SetItemInt(kAddressEdit, link_.deviceAddress);
    window_.SetItemInt(kBaudEdit, state_.currentBaud);
    text_ =
        Format(format, link_.deviceAddress, static_cast<int>(state_.currentBaud)) + ParityName(state_.lineFormat[0]);
    const bool normal = state_.lineFormat[1] == 0 && state_.lineFormat[2] == 1;
    if (normal) {
        window_.MessageBox(text_, normalCaption, ui::Icon::None, ui::Buttons::Ok);
    } else {
        text_ += "\r\nStop bit exception,please reconfigure address or baud rate";
        window_.MessageBox(text_, "Abnormal test results", ui::Icon::Question, ui::Buttons::Ok);
    }
    EndScan();
    panel_.EnableButtons(true);
    return true;
}

BaudRateTest::Outcome BaudRateTest::Run() {
    state_.broadcastRoute = false;
    state_.zeroAddressRoute = false;
    text_.clear();
    const std::string path = selectedPortPath_();

    for (uint32_t rate : {2400u, 4800u, 9600u}) {
        if (!OpenAt(path, rate)) return Outcome::PortFailed;
        ReportActivity(link_, "short frame at " + std::to_string(rate) + " baud");
        const uint16_t n = panel_.Exchange(ShortFrame(0, 0));
        if (panel_.ParseShortFrame(link_.rxBuffer, n)) {
            window_.SetItemInt(kAddressEdit, link_.deviceAddress);
            window_.SetItemInt(kBaudEdit, state_.currentBaud);
            text_ =
                Format("Device address：%d  BaudRate：%d", link_.deviceAddress, static_cast<int>(state_.currentBaud));
            window_.MessageBox(text_, "Test Result", ui::Icon::None, ui::Buttons::Ok);
            EndScan();
            panel_.EnableButtons(true);
            return Outcome::ShortFrame;
        }
    }

    if (!OpenAt(path, 9600)) return Outcome::PortFailed;
    if (RegisterPass(0xFF, "Soil Transmitter\r\nAddress：%d  BaudRate：%d\r\n", "Test Result")) {
        state_.broadcastRoute = true;
        link_.deviceAddress = 0xFF;
        return Outcome::Broadcast;
    }

    if (!OpenAt(path, 9600)) return Outcome::PortFailed;
    if (RegisterPass(0x00, "Soil Transmitter\r\nAddress：%d  Baudrate：%d\r\n", "Test Results")) {
        state_.zeroAddressRoute = true;
        link_.deviceAddress = 0x00;
        return Outcome::ZeroAddress;
    }

    EndScan();
    text_ = "End of Test UnKnow BaudRate";
    window_.MessageBox(text_, "Test Result", ui::Icon::None, ui::Buttons::Ok);
    return Outcome::NothingFound;
}

}  // namespace veltrano::app
