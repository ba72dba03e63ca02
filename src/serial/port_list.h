#pragma once
// Serial ports present on this machine, for the port list.
#include <string>
#include <vector>

namespace veltrano {

struct PortEntry {
    std::string path;         // what the port is opened by
    std::string description;  // adapter name where the system gives one; may be empty
    std::string Label() const { return description.empty() ? path : path + " (" + description + ")"; }
};

// USB adapters (/dev/ttyUSB*, /dev/ttyACM*) and on-board ports (/dev/ttyS*)
// whose hardware is present, in name order. `devRoot` and `sysRoot` are for
// tests.
std::vector<PortEntry> ListSerialPorts(const std::string& devRoot = "/dev", const std::string& sysRoot = "/sys");

// A USB adapter's node (ttyUSB*, ttyACM*), by its name.
bool IsUsbAdapter(const std::string& path);
// The USB adapters among `ports`, in their order.
std::vector<PortEntry> UsbAdapters(const std::vector<PortEntry>& ports);

}  // namespace veltrano
