// Little-endian fields: the byte layouts the core builds (driver requests,
// the package archive) and the simulated hardware decodes. Freestanding
// (no C or C++ library), because the test kernel drivers compile it too.
#pragma once

#include <stdint.h>

namespace little_endian {

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
}  // namespace little_endian
