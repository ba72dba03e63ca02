#pragma once
// The console's main window, headless, on one simulated device.
#include <gtest/gtest.h>

#include <memory>

#include "app/main_dialog.h"
#include "app/main_ids.h"
#include "sim/simulator.h"
#include "ui/recording_host.h"

namespace veltrano::test {

struct Console {
    // `ports` replaces the system's list; the device's path is added first
    // unless `withDevice` is false.
    explicit Console(const sim::Device::Config& device, bool withDevice = true,
                     std::vector<PortEntry> ports = {})
        : sim(device) {
        std::string error;
        EXPECT_TRUE(sim.Start(&error)) << error;
        app::MainOptions mo;
        if (withDevice) mo.leadingPorts.push_back(PortEntry{sim.path(), "sim"});
        mo.listPorts = [ports] { return ports; };
        link = std::make_unique<Link>();
        main = std::make_unique<app::MainDialog>(*link, mo);
        main->SetHost(&host);
        main->Initialize();
    }
    ~Console() {
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

    sim::Simulator sim;
    ui::RecordingHost host;
    std::unique_ptr<Link> link;
    std::unique_ptr<app::MainDialog> main;
};

inline sim::Device::Config Device(uint8_t address, uint32_t baud, uint8_t dialects) {
    sim::Device::Config c;
    c.address = address;
    c.baud = baud;
    c.dialects = dialects;
    return c;
}

}  // namespace veltrano::test
