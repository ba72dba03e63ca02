#pragma once
// "Test Baud Rate": finds the device on the selected port by trying the
// short-frame inquiry at 2400, 4800 and 9600, then the communication
// registers at address 255 and at address 0 (both at 9600). The route that
// answers is left in force with the port open.
#include <functional>
#include <string>

#include "app/connection_panel.h"

namespace veltrano::app {

std::string ParityName(uint8_t parity);

class BaudRateTest {
public:
    enum class Outcome { ShortFrame, Broadcast, ZeroAddress, NothingFound, PortFailed };

    BaudRateTest(ui::Dialog& window, Link& link, ConnectionState& state, ConnectionPanel& panel,
                 std::function<std::string()> selectedPortPath);

    Outcome Run();
    // The text of the result message of the last run.
    const std::string& resultText() const { return text_; }

private:
    bool OpenAt(const std::string& path, uint32_t rate);
    void EndScan();
    bool RegisterPass(uint8_t routeAddress, const char* format, const char* normalCaption);

    ui::Dialog& window_;
    Link& link_;
    ConnectionState& state_;
    ConnectionPanel& panel_;
    std::function<std::string()> selectedPortPath_;
    std::string text_;
};

}  // namespace veltrano::app
