#include "sim/frame_cutter.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace veltrano::sim {

double SteadyNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double CharTime(uint32_t rate) { return 10.0 / static_cast<double>(rate ? rate : 9600); }

double FrameCutter::Gap() const { return std::max(3.5 * CharTime(rate_), 0.00175); }

void FrameCutter::Heard(const uint8_t* bytes, size_t n, double at, uint32_t rate) {
    if (n == 0) return;
    rate_ = rate;
    end_ = std::max(end_, at) + static_cast<double>(n) * CharTime(rate_);
    frame_.insert(frame_.end(), bytes, bytes + n);
    if (frame_.size() > kMaxFrame) frame_.erase(frame_.begin(), frame_.end() - kMaxFrame);
}

int FrameCutter::WaitMs(double now, int idleMs) const {
    if (frame_.empty()) return idleMs;
    const double left = end_ + Gap() - now;
    return left <= 0 ? 0 : static_cast<int>(std::ceil(left * 1000));
}

bool FrameCutter::Take(double now, Frame* frame) {
    if (frame_.empty() || now < end_ + Gap()) return false;
    frame->bytes.swap(frame_);
    frame_.clear();
    frame->end = end_;
    frame->rate = rate_;
    end_ = 0;
    return true;
}

void FrameCutter::Clear() {
    frame_.clear();
    end_ = 0;
}

}  // namespace veltrano::sim
