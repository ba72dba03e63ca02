#pragma once
// The console's main window, headless, on one simulated device: in memory
// (Console), or on a pseudo-terminal through the serial port (WireConsole).
#include <gtest/gtest.h>

#include <memory>

#include "app/main_dialog.h"
#include "app/main_ids.h"
#include "sim/simulator.h"
#include "support/sim_link.h"
#include "ui/recording_host.h"

namespace veltrano::test {

template <class Line>
struct ConsoleOn {
    // `ports` replaces the system's list; the device's path is added first
    // unless `withDevice` is false.
    explicit ConsoleOn(const sim::Device::Config& device, bool withDevice = true, std::vector<PortEntry> ports = {})
        : sim(device) {
        link = LinkTo(sim);
        app::MainOptions mo;
        if (withDevice) mo.leadingPorts.push_back(PortEntry{sim.path(), "sim"});
        mo.listPorts = [ports] { return ports; };
        main = std::make_unique<app::MainDialog>(*link, mo);
        main->SetHost(&host);
        main->Initialize();
    }
    ~ConsoleOn() {
        main.reset();
        link.reset();
    }
    const ui::MessageBoxRequest& LastMessage() const {
        static const ui::MessageBoxRequest none{"<no message>", "", ui::Icon::None, ui::Buttons::Ok};
        return host.last() ? host.last()->request : none;
    }
    bool PanelEnabled() const {
        for (int id : {app::kInquireAddress, app::kSetAddress, app::kInquireBaud, app::kSetBaud})
            if (!main->IsEnabled(id)) return false;
        return true;
    }

    Line sim;
    ui::RecordingHost host;
    std::unique_ptr<Link> link;
    std::unique_ptr<app::MainDialog> main;
};

using Console = ConsoleOn<sim::MemoryLine>;
using WireConsole = ConsoleOn<sim::Simulator>;

inline sim::Device::Config Device(uint8_t address, uint32_t baud, uint8_t dialects) {
    sim::Device::Config c;
    c.address = address;
    c.baud = baud;
    c.dialects = dialects;
    return c;
}

}  // namespace veltrano::test
