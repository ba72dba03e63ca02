#pragma once
// The application: the link (its serial port), the main window, and the
// start routine that runs the main window modally until it closes.
#include <memory>

#include "app/main_dialog.h"
#include "serial/link.h"
#include "ui/dialog.h"

namespace veltrano::app {

// The platform's sockets start-up. There is nothing to start on this
// platform; the step stays so that a platform where it can fail reports it.
bool StartPlatform();

class ConfigApp {
public:
    explicit ConfigApp(MainOptions options = {});
    ~ConfigApp();

    // Start routine: platform start-up, then the main window, run modally by
    // `host`; returns when the window has closed. False if start-up failed.
    bool Run(ui::Host& host, const std::function<int(MainDialog&)>& runModal);

    Link& link() { return *link_; }
    MainDialog& main() { return *main_; }

private:
    std::unique_ptr<Link> link_;  // built before the main window, destroyed after it
    std::unique_ptr<MainDialog> main_;
};

}  // namespace veltrano::app
