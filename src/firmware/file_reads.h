// Exact reads of image files: all the bytes asked for, or failure.
#pragma once

#include <cstdint>

#include "os/os.h"

namespace firmware {

// `size` bytes from position `at`; false when the file ends first or a read
// fails.
bool ReadAt(os::File& file, uint64_t at, uint8_t* to, uint32_t size);

}  // namespace firmware
