// A file of the work directory read whole into memory: the read-only view
// of an image that the scans of "newSys.bin" and "bios.rom" work on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "firmware/image_reader.h"

namespace firmware {

struct WholeFile {
  std::unique_ptr<uint8_t[]> bytes;
  uint32_t size = 0;
};

// Opens `name` read-only (sharing read access, existing file only) and
// reads all of it. False when it cannot be opened or read, is too large,
// or ends before its size said (it shrank while read).
bool ReadWholeFile(const std::string& name, WholeFile* file);

}  // namespace firmware
