#pragma once
// Brings the link back after the device behind the port went away (a USB
// adapter pulled, the far side of a line hung up): the port is closed, so
// that transactions report "not open" at once instead of each waiting for
// a reply, and the same path is opened again with the same settings at most
// once a second until it works. Whoever opens or closes the port on
// purpose (Test Baud Rate) takes over from it.
#include <chrono>
#include <functional>
#include <string>

#include "serial/link.h"

namespace veltrano::app {

class LinkWatch {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kRetryEvery{1000};

    enum class Event { None, Gone, Back };

    explicit LinkWatch(Link& link) : link_(link) {}

    // Looks at the link now: a port that hung up is closed (Gone); a port
    // closed that way is tried again once `kRetryEvery` has passed since the
    // last try (Back when it opened). Cheap when nothing changed.
    Event Check(Clock::time_point now = Clock::now());
    // The port is being opened or closed on purpose: nothing to bring back.
    void Forget() { gone_ = false; }
    bool gone() const { return gone_; }
    // "device gone: /dev/ttyUSB0 (…)", "reconnected: /dev/ttyUSB0 at 9600 baud".
    std::string Describe(Event event) const;

    // Told of every Gone and Back, with Describe's text (optional).
    std::function<void(Event, const std::string&)> news;

private:
    Link& link_;
    bool gone_ = false;
    Clock::time_point lastTry_{};
};

}  // namespace veltrano::app
