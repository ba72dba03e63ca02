#pragma once
// The window program: options, the demo device, and the run of the main
// window. Shared by main() and the window's test.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace veltrano::qt {

struct WindowOptions {
    bool demo = false;
    std::string demoProfile = "temhum";
    std::vector<std::string> ports;  // --port PATH, listed after the system's
    // For screenshots and measurements.
    std::string screenshot;                                    // grab the window into this file, then quit
    bool scan = false;                                         // press "Test Baud Rate" once shown
    std::string page;                                          // show this page (class name)
    bool realTime = false;                                     // check the page's "Real Time" box
    int waitMs = 0;                                            // before the screenshot
    int width = 0, height = 0;                                 // --size WxH: the window's size (0: its own)
    std::vector<std::pair<uint16_t, uint16_t>> demoRegisters;  // --demo-reg R=V: preset on the demo device
    bool exitWhenShown = false;
};

// Parses argv; false with a message on stderr for bad arguments.
bool ParseWindowOptions(int argc, char** argv, WindowOptions* out);
int RunWindowProgram(int argc, char** argv, const WindowOptions& options);

}  // namespace veltrano::qt
