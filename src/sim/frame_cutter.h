#pragma once
// What a device on the bus does with the bytes it hears: a frame ends at the
// first silence of 3.5 characters (never under 1.75 ms), timed as the bytes
// would have crossed the wire at the line's rate, not as they were handed
// over. Nothing here touches a port, so every transport of the simulated
// device cuts frames the same way.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace veltrano::sim {

// Seconds of the steady clock, the one all the simulator's times are in.
double SteadyNow();
// Seconds one character (10 bits) takes on the wire at `rate` (0: as 9600).
double CharTime(uint32_t rate);

class FrameCutter {
public:
    // n bytes handed over at `at` by a line running at `rate` (0: a rate
    // that has no number, heard as noise and timed as 9600).
    void Heard(const uint8_t* bytes, size_t n, double at, uint32_t rate);
    // How long to wait for more before the frame held is complete; `idleMs`
    // when none is held.
    int WaitMs(double now, int idleMs) const;
    // The frame, once the line has been quiet long enough: its bytes, when
    // its last byte had left the wire, and the line's rate then.
    struct Frame {
        std::vector<uint8_t> bytes;
        double end = 0;
        uint32_t rate = 0;
    };
    bool Take(double now, Frame* frame);
    // The line went away: what was held is not a frame.
    void Clear();
    uint32_t rate() const { return rate_; }

    // A frame longer than this keeps only its last bytes.
    static constexpr size_t kMaxFrame = 4096;

private:
    double Gap() const;

    std::vector<uint8_t> frame_;
    double end_ = 0;  // when the last byte heard would have left the wire
    uint32_t rate_ = 9600;
};

}  // namespace veltrano::sim
