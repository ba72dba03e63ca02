// The receive pump stepped by hand over a fake port: bytes arrive in bursts
// of any size, with gaps of any number of empty polls, the port closes and
// opens, and the consumer takes from the frame queue whenever it likes.
// A model kept here from the rules (a burst ends after 30 empty polls; each
// queue keeps the first 4095 bytes and drops the rest; nothing is reordered)
// must agree with the rings after every step. The rings start at any index,
// so that wrapping round the 4096 slots is tried too.
#include <cstring>
#include <deque>

#include "fuzz_common.h"
#include "serial/link.h"
#include "serial/rx_pump.h"

using namespace veltrano;

namespace {

constexpr size_t kCapacity = 4095;
constexpr int kBurstEnd = 30;

struct FakePort {
    std::deque<uint8_t> waiting;  // arrived, not yet read
    uint32_t perRead = 256;       // some drivers hand over less per read
    bool readWhileClosed = false;
};

FakePort port;

struct Model {
    std::deque<uint8_t> receive, frames;
    int idle = 0;

    static void Add(std::deque<uint8_t>& q, uint8_t b) {
        if (q.size() < kCapacity) q.push_back(b);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Link link;
    static SerialWire& wire = *link.serial();
    static std::deque<uint8_t> lastRead;
    static RxPump pump(wire, [](uint8_t* buffer, uint32_t maximum) -> uint32_t {
        if (!link.portOpen) port.readWhileClosed = true;
        uint32_t n = static_cast<uint32_t>(port.waiting.size());
        if (n > maximum) n = maximum;
        if (n > port.perRead) n = port.perRead;
        lastRead.clear();
        for (uint32_t i = 0; i < n; ++i) {
            buffer[i] = port.waiting.front();
            lastRead.push_back(port.waiting.front());
            port.waiting.pop_front();
        }
        return n;
    });
    if (size < 4) return 0;
    wire.ResetReceiveState();
    wire.receiveQueue.SetIndexesForTest(static_cast<uint16_t>(data[0] << 8 | data[1]),
                                        static_cast<uint16_t>(data[0] << 8 | data[1]));
    wire.frameQueue.SetIndexesForTest(static_cast<uint16_t>(data[2] << 8 | data[3]),
                                      static_cast<uint16_t>(data[2] << 8 | data[3]));
    link.portOpen = true;
    port = FakePort{};
    Model m;
    uint8_t counter = 0;
    uint8_t taken[1024];

    auto step = [&] {
        const bool open = link.portOpen;
        pump.PollOnce();
        FUZZ_CHECK(!port.readWhileClosed, "the port was read while closed");
        if (!open) {
            m.idle = 0;
            lastRead.clear();
        } else if (!lastRead.empty()) {
            for (uint8_t b : lastRead) Model::Add(m.receive, b);
            lastRead.clear();
            m.idle = kBurstEnd;
        } else if (m.idle > 0 && --m.idle == 0) {
            while (!m.receive.empty()) {
                Model::Add(m.frames, m.receive.front());
                m.receive.pop_front();
            }
        }
        FUZZ_CHECK(wire.receiveQueue.Count() == m.receive.size(), "receive queue holds %u, model %zu",
                   wire.receiveQueue.Count(), m.receive.size());
        FUZZ_CHECK(wire.frameQueue.Count() == m.frames.size(), "frame queue holds %u, model %zu",
                   wire.frameQueue.Count(), m.frames.size());
        FUZZ_CHECK(wire.receiveQueue.Count() <= kCapacity && wire.frameQueue.Count() <= kCapacity, "over capacity");
    };

    for (size_t i = 4; i + 1 < size; i += 2) {
        const uint8_t kind = data[i] & 7, arg = data[i + 1];
        switch (kind) {
            case 0:
            case 1: {  // a burst of 1 to 256 bytes arrives (several in a row overfill the rings)
                const int n = arg + 1;
                for (int k = 0; k < n; ++k) port.waiting.push_back(kind == 0 ? counter++ : arg);
                break;
            }
            case 2:  // polls, empty or not: up to 255 of them
                for (int k = 0; k < arg; ++k) step();
                break;
            case 3:  // exactly the polls that end a burst, give or take one
                for (int k = 0; k < kBurstEnd - 1 + (arg % 3); ++k) step();
                break;
            case 4: {  // the consumer takes up to `maximum` bytes
                const uint16_t maximum = arg == 0 ? 1024 : static_cast<uint16_t>(arg * 4);
                const uint16_t held = wire.frameQueue.Count();
                const uint16_t n = TakeFrame(wire, taken, maximum);
                FUZZ_CHECK(n == (held < maximum ? held : maximum), "took %u of %u held, maximum %u", n, held, maximum);
                for (uint16_t k = 0; k < n; ++k) {
                    FUZZ_CHECK(taken[k] == m.frames.front(), "byte %u of the take out of order", k);
                    m.frames.pop_front();
                }
                break;
            }
            case 5:  // the port closes or opens
                link.portOpen = !link.portOpen;
                break;
            case 6:  // the driver hands over fewer bytes per read
                port.perRead = 1 + arg;
                break;
            case 7:  // a big burst at once: up to 8 KiB, twice the ring
                for (int k = 0; k < 32 * (arg % 8 + 1); ++k) port.waiting.push_back(counter++);
                break;
        }
    }
    // Let every open burst end, then the frame queue must hold exactly the model.
    link.portOpen = true;
    for (int k = 0; k < 4096 && !(port.waiting.empty() && m.idle == 0); ++k) step();
    const uint16_t held = wire.frameQueue.Count();
    FUZZ_CHECK(held == m.frames.size(), "frame queue at the end");
    return 0;
}
