// Little-endian field access and byte copies for the hardware model. The
// model is also compiled into kernel drivers, so it uses no C or C++ library.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace machine {

inline uint16_t Load16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t Load32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint64_t Load64(const uint8_t* p) {
  return static_cast<uint64_t>(Load32(p)) | static_cast<uint64_t>(Load32(p + 4)) << 32;
}
inline void Store16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Store32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void Store64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
// Loads/stores the low `width` (1, 2 or 4) bytes of a value.
inline uint32_t LoadWidth(const uint8_t* p, uint32_t width) {
  uint32_t v = 0;
  for (uint32_t i = 0; i < width && i < 4; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
  return v;
}
inline void StoreWidth(uint8_t* p, uint32_t width, uint32_t v) {
  for (uint32_t i = 0; i < width && i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
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
