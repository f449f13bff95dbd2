// Exact reads of image files: all the bytes asked for, or failure.
#pragma once

#include <cstdint>

#include "firmware/image_reader.h"
#include "os/os.h"

namespace firmware {

// `size` bytes from position `at`; false when the file ends first or a read
// fails.
bool ReadAt(os::File& file, uint64_t at, uint8_t* to, uint32_t size);

// A file of the seam as the image readers read it.
class FileImageReader final : public ImageReader {
 public:
  explicit FileImageReader(os::File& file) : file_(file) {}
  bool ReadAt(uint64_t at, uint8_t* to, uint32_t size) override {
    return firmware::ReadAt(file_, at, to, size);
  }

 private:
  os::File& file_;
};

}  // namespace firmware
