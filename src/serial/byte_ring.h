#pragma once
// Circular byte queue of 4096 slots holding at most 4095 bytes.
//
// Used single-producer single-consumer between the receive thread and the
// window thread: only the producer stores the write index, only the consumer
// stores the read index. A byte is stored in its slot before the write index
// that covers it is published (release), and the other side reads the index
// with acquire, so the slots themselves need no lock.

#include <atomic>
#include <cstdint>

namespace veltrano {

class ByteRing {
public:
    static constexpr uint16_t kSlots = 4096;
    static constexpr uint16_t kMask = kSlots - 1;
    static constexpr uint16_t kCapacity = kSlots - 1;

    // Only while no other thread touches the ring.
    void Reset() {
        write_.store(0, std::memory_order_relaxed);
        read_.store(0, std::memory_order_relaxed);
    }

    uint16_t Count() const {
        const uint16_t w = write_.load(std::memory_order_acquire);
        const uint16_t r = read_.load(std::memory_order_acquire);
        return static_cast<uint16_t>((w - r) & kMask);
    }

    // Stores the byte at the write index; advances only when fewer than 4095
    // bytes are held. A byte pushed into a full ring sits in the free slot
    // uncounted, i.e. it is dropped, and the next push overwrites it.
    uint16_t Push(uint8_t byte) {
        const uint16_t w = write_.load(std::memory_order_relaxed);
        const uint16_t r = read_.load(std::memory_order_acquire);
        data_[w] = byte;
        if (static_cast<uint16_t>((w - r) & kMask) < kCapacity) {
            const uint16_t next = static_cast<uint16_t>((w + 1) & kMask);
            write_.store(next, std::memory_order_release);
            return next;
        }
        return w;
    }

    // Does not test for emptiness: pop only as many bytes as Count reported.
    uint8_t Pop() {
        const uint16_t r = read_.load(std::memory_order_relaxed);
        const uint8_t byte = data_[r];
        read_.store(static_cast<uint16_t>((r + 1) & kMask), std::memory_order_release);
        return byte;
    }

    // For tests of the index arithmetic; same single-thread rule as Reset.
    void SetIndexesForTest(uint16_t write, uint16_t read) {
        write_.store(write & kMask, std::memory_order_relaxed);
        read_.store(read & kMask, std::memory_order_relaxed);
    }
    uint16_t WriteIndex() const { return write_.load(std::memory_order_relaxed); }
    uint16_t ReadIndex() const { return read_.load(std::memory_order_relaxed); }

private:
    uint8_t data_[kSlots] = {};
    std::atomic<uint16_t> write_{0};
    std::atomic<uint16_t> read_{0};
};

}  // namespace veltrano
