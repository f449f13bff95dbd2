// Reads of an image file's bytes by position. The readers of the image
// formats take this instead of a file of the seam, so that the updater
// (over a file of the work directory) and the package tool (over a package
// member) read images with the same code.
#pragma once

#include <cstdint>

namespace firmware {

// No firmware image comes near this; the updater refuses a larger image
// file rather than hold it in memory.
inline constexpr uint64_t kLargestMappedFile = 64ull << 20;

class ImageReader {
 public:
  // `size` bytes from position `at`; false when the image ends first or the
  // read fails.
  virtual bool ReadAt(uint64_t at, uint8_t* to, uint32_t size) = 0;

 protected:
  ~ImageReader() = default;
};

}  // namespace firmware
