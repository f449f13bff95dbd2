// The simulated notebook's time. Nothing waits for real: sleeps and device
// requests advance this clock, so time limits can be tested without timing.
#pragma once

#include <cstdint>

namespace sim {

class Clock {
 public:
  void Advance(uint64_t microseconds) { micros_ += microseconds; }
  uint64_t Micros() const { return micros_; }
  uint32_t Millis() const { return static_cast<uint32_t>(micros_ / 1000); }

 private:
  uint64_t micros_ = 0;
};

}  // namespace sim
