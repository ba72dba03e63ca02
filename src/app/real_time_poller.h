#pragma once
// Once a second (timer 5): the page of the selected category and sub-tab
// runs its real-time read set if its "Real Time" box is checked. Only the
// visible page is ever polled, at most one page a tick.
namespace veltrano::pages {
class DevicePage;
}

namespace veltrano::app {

class MainDialog;

class RealTimePoller {
public:
    explicit RealTimePoller(MainDialog& main) : main_(main) {}
    // Returns the page that was polled, or nullptr.
    pages::DevicePage* Tick();

private:
    MainDialog& main_;
};

}  // namespace veltrano::app
