#include "firmware/flash_markers.h"

#include <cstring>
#include <memory>
#include <new>

namespace firmware {
namespace {

// Positions tested per read; each position needs the 5 bytes from it.
constexpr uint32_t kBlockPositions = 0x40000;
constexpr uint32_t kCompared = 5;

}  // namespace

bool FindFlashMarkers(ImageReader& image, uint64_t size, uint64_t start, FlashMarkers* found) {
  const uint64_t end = size > kCompared ? size - kCompared : 0;  // positions below it
  if (start >= end) return false;
  std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[kBlockPositions + kCompared]);
  if (!block) return false;
  bool header = false, marker = false;
  for (uint64_t from = start; from < end;) {
    const uint32_t positions =
        static_cast<uint32_t>(end - from < kBlockPositions ? end - from : kBlockPositions);
    // The bytes of the last position end inside the file: it lies below size - 5.
    if (!image.ReadAt(from, block.get(), positions + kCompared - 1)) return false;
    const uint8_t* const base = block.get();
    for (uint32_t i = 0; i < positions; ++i) {
      const void* z = std::memchr(base + i, 'Z', positions - i);
      if (!z) break;
      i = static_cast<uint32_t>(static_cast<const uint8_t*>(z) - base);
      if (std::memcmp(base + i, "ZFLPF", 5) == 0) {
        found->header = from + i;
        header = true;
      } else if (std::memcmp(base + i, "ZQDS", 4) == 0) {
        found->marker = from + i;
        marker = true;
      }
      if (header && marker) return true;
    }
    from += positions;
  }
  return false;
}

}  // namespace firmware
