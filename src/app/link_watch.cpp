#include "app/link_watch.h"

namespace veltrano::app {

LinkWatch::Event LinkWatch::Check(Clock::time_point now) {
    Event event = Event::None;
    if (!gone_) {
        // The flag says what a wait saw; the device itself is asked before
        // the link is given up.
        if (!link_.portOpen || !link_.wire().IsOpen() || !link_.wire().HungUp() || !link_.wire().ConfirmHungUp())
            return Event::None;
        // The configuration stays with the port: Open takes the same path and line again.
        link_.portOpen = false;
        link_.wire().Close();
        gone_ = true;
        lastTry_ = now;
        event = Event::Gone;
    } else if (link_.portOpen) {
        gone_ = false;  // opened again by someone else meanwhile
        return Event::None;
    } else if (now - lastTry_ >= kRetryEvery) {
        lastTry_ = now;
        if (link_.wire().Open() != 0 && !link_.wire().HungUp()) {
            gone_ = false;
            link_.portOpen = true;
            link_.wire().Wake();  // the receive thread sleeps while the port is closed
            event = Event::Back;
        } else {
            link_.wire().Close();
        }
    }
    if (event != Event::None && news) news(event, Describe(event));
    return event;
}

std::string LinkWatch::Describe(Event event) const {
    const std::string& path = link_.wire().devicePath();
    switch (event) {
        case Event::Gone: return "device gone: " + path + " (trying to reopen it once a second)";
        case Event::Back: return "reconnected: " + path + " at " + std::to_string(link_.wire().baudRate()) + " baud";
        case Event::None: break;
    }
    return "";
}

}  // namespace veltrano::app
