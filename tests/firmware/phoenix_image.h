// A Phoenix image with a flash-area table, laid out as the flash tools
// read it, for the tests of the utilities' file check.
#pragma once

#include <cstdint>
#include <string>

#include "os/little_endian.h"

namespace firmware_test {

// `size` bytes of 0xA5 with the "ZFLPF" header at `header`, "ZQDS" 0x100
// bytes after it and the table at header + 0x60: `entries` entries, then
// the terminator unless `terminated` is false.
inline std::string PhoenixImage(uint32_t size, uint32_t header, uint32_t entries,
                                bool terminated = true) {
  std::string image(size, '\xA5');
  auto* bytes = reinterpret_cast<uint8_t*>(image.data());
  image.replace(header, 5, "ZFLPF");
  image.replace(header + 0x100, 4, "ZQDS");
  little_endian::Store32(bytes + header + 53, 0x60);
  const uint32_t table = header + 0x60;
  for (uint32_t i = 0; i <= entries && table + 16 * (i + 1) <= size; ++i) {
    uint8_t* entry = bytes + table + 16 * i;
    const bool last = i == entries;
    if (last && !terminated) break;
    little_endian::Store32(entry, last ? 0 : 0x10000);
    little_endian::Store32(entry + 4, last ? 0 : 0x10000 * i);
    little_endian::Store32(entry + 8, last ? 0 : 0xFFF00000 + 0x10000 * i);
    little_endian::Store16(entry + 12, 0x5A5A);  // not part of the terminator test
    little_endian::Store16(entry + 14, last ? 0 : 0x22);
  }
  return image;
}

}  // namespace firmware_test
