// Field access and byte copies for the hardware model. The
// model is also compiled into kernel drivers, so it uses no C or C++ library.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "os/little_endian.h"

namespace machine {

using little_endian::Load16;
using little_endian::Load32;
using little_endian::Load64;
using little_endian::LoadWidth;
using little_endian::Store16;
using little_endian::Store32;
using little_endian::Store64;
using little_endian::StoreWidth;

inline void CopyBytes(uint8_t* to, const uint8_t* from, size_t n) {
  for (size_t i = 0; i < n; ++i) to[i] = from[i];
}
// Safe when the ranges overlap (the request decoders work in one buffer).
inline void MoveBytes(uint8_t* to, const uint8_t* from, size_t n) {
  if (to < from) {
    for (size_t i = 0; i < n; ++i) to[i] = from[i];
  } else {
    for (size_t i = n; i > 0; --i) to[i - 1] = from[i - 1];
  }
}
inline void FillBytes(uint8_t* to, uint8_t value, size_t n) {
  for (size_t i = 0; i < n; ++i) to[i] = value;
}
inline uint32_t AllOnes(uint32_t width) {
  return width >= 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
}

// How a device answers: at once, after a delay, or never.
struct Behaviour {
  enum Mode : uint8_t { kNormal, kSlow, kDead };
  Mode mode = kNormal;
  uint32_t delayMicros = 0;  // kSlow only
  // Time at which work started at `now` is done; ~0 for a dead device.
  uint64_t DoneAt(uint64_t now) const {
    if (mode == kDead) return ~uint64_t{0};
    return mode == kSlow ? now + delayMicros : now;
  }
};

}  // namespace machine
