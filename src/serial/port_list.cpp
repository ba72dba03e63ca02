#include "serial/port_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "serial/win32_calls.h"

namespace veltrano {
namespace fs = std::filesystem;
namespace {

std::string ReadLine(const fs::path& p) {
    std::ifstream in(p);
    std::string s;
    std::getline(in, s);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

// Natural order: ttyUSB2 before ttyUSB10.
bool NameLess(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
            size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
            const unsigned long long x = std::stoull(a.substr(i, ei - i)), y = std::stoull(b.substr(j, ej - j));
            if (x != y) return x < y;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

// The USB device's product (and maker) strings, found above the tty in sysfs.
std::string UsbDescription(const fs::path& ttyClassDir) {
    std::error_code ec;
    fs::path dev = fs::canonical(ttyClassDir / "device", ec);
    if (ec) return "";
    for (int up = 0; up < 6 && !dev.empty() && dev != dev.root_path(); ++up, dev = dev.parent_path()) {
        if (fs::exists(dev / "idVendor", ec)) {
            const std::string product = ReadLine(dev / "product");
            const std::string maker = ReadLine(dev / "manufacturer");
            if (!product.empty() && !maker.empty() && product.find(maker) == std::string::npos)
                return maker + " " + product;
            return !product.empty() ? product : maker;
        }
    }
    return "";
}

// An on-board UART whose node exists without hardware has no driver bound
// and reports port type 0 (unknown).
bool OnBoardPresent(const fs::path& ttyClassDir) {
    std::error_code ec;
    if (!fs::exists(ttyClassDir / "device" / "driver", ec)) return false;
    const std::string type = ReadLine(ttyClassDir / "type");
    return type.empty() || type != "0";
}

}  // namespace

bool IsUsbAdapter(const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    return (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0) && name.size() > 6;
}

std::vector<PortEntry> UsbAdapters(const std::vector<PortEntry>& ports) {
    std::vector<PortEntry> usb;
    for (const PortEntry& p : ports)
        if (IsUsbAdapter(p.path)) usb.push_back(p);
    return usb;
}

std::vector<PortEntry> ListComPorts(Win32Calls& calls) {
    using namespace win32;
    std::vector<PortEntry> ports;
    for (int n = 1; n <= 16; ++n) {
        const std::string name = "\\\\.\\COM" + std::to_string(n);
        const Win32Calls::HANDLE h = calls.CreateFileA(name.c_str(), 0, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
        if (h != INVALID_HANDLE_VALUE) {
            calls.CloseHandle(h);
            ports.push_back(PortEntry{name.substr(4), ""});
        } else if (calls.GetLastError() == ERROR_ACCESS_DENIED) {
            ports.push_back(PortEntry{name.substr(4), "in use"});
        }
    }
    return ports;
}

std::vector<PortEntry> ListSerialPorts() {
#ifdef _WIN32
    return ListComPorts(Win32Calls::System());
#else
    return ListSerialPorts("/dev", "/sys");
#endif
}

std::vector<PortEntry> ListSerialPorts(const std::string& devRoot, const std::string& sysRoot) {
    std::vector<PortEntry> ports;
    std::error_code ec;
    const fs::path classDir = fs::path(sysRoot) / "class" / "tty";
    for (const auto& entry : fs::directory_iterator(devRoot, ec)) {
        const std::string name = entry.path().filename().string();
        const bool usb = name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0;
        const bool onBoard = name.rfind("ttyS", 0) == 0;
        if (!usb && !onBoard) continue;
        if (name.size() <= (usb ? 6u : 4u)) continue;
        const fs::path sys = classDir / name;
        if (onBoard && !OnBoardPresent(sys)) continue;
        PortEntry p;
        p.path = entry.path().string();
        if (usb) p.description = UsbDescription(sys);
        ports.push_back(std::move(p));
    }
    std::sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) {
        const std::string fa = fs::path(a.path).filename().string(), fb = fs::path(b.path).filename().string();
        // USB adapters first: that is what an operator plugs in.
        const bool ua = fa.rfind("ttyS", 0) != 0, ub = fb.rfind("ttyS", 0) != 0;
        if (ua != ub) return ua;
        return NameLess(fa, fb);
    });
    return ports;
}

}  // namespace veltrano
