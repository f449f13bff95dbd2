// The search for the two markers behind a Phoenix image: the "ZFLPF" header
// and the "ZQDS" marker, which locate its flash-area table.
#pragma once

#include <cstdint>

#include "firmware/image_reader.h"

namespace firmware {

struct FlashMarkers {
  uint64_t header = 0;  // where "ZFLPF" is
  uint64_t marker = 0;  // where "ZQDS" is
};

// Tests the positions from `start` while below `size` - 5, in order: a
// "ZFLPF" there becomes the header position, a "ZQDS" the marker position
// (a later match replaces an earlier one), and the search ends at the first
// position at which both are known. Reads the image in large blocks. False
// when the positions run out first, or the image cannot be read.
bool FindFlashMarkers(ImageReader& image, uint64_t size, uint64_t start, FlashMarkers* found);

}  // namespace firmware
