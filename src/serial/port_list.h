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

class Win32Calls;

// The ports of this machine: on Linux those below under /dev and /sys, on
// Windows ListComPorts.
std::vector<PortEntry> ListSerialPorts();

// USB adapters (/dev/ttyUSB*, /dev/ttyACM*) and on-board ports (/dev/ttyS*)
// whose hardware is present, in name order, from a device and a sysfs tree
// (tests give their own).
std::vector<PortEntry> ListSerialPorts(const std::string& devRoot, const std::string& sysRoot);

// COM1 to COM16, each probed by opening it without access rights: "COM3"
// and so on, in number order. A port another program holds is listed too
// (described "in use"), so that opening it can say so.
std::vector<PortEntry> ListComPorts(Win32Calls& calls);

// A USB adapter's node (ttyUSB*, ttyACM*), by its name.
bool IsUsbAdapter(const std::string& path);
// The USB adapters among `ports`, in their order.
std::vector<PortEntry> UsbAdapters(const std::vector<PortEntry>& ports);

}  // namespace veltrano
