#include "firmware/file_reads.h"

namespace firmware {

bool ReadAt(os::File& file, uint64_t at, uint8_t* to, uint32_t size) {
  if (!file.SeekTo(static_cast<int64_t>(at))) return false;
  // Each pass takes at least one byte or ends the loop.
  for (uint32_t done = 0; done < size;) {
    uint32_t got = 0;
    if (!file.Read(to + done, size - done, &got) || got == 0) return false;
    done += got;
  }
  return true;
}

}  // namespace firmware
