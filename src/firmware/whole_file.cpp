#include "firmware/whole_file.h"

#include <new>

#include "firmware/file_reads.h"
#include "os/os.h"

namespace firmware {

bool ReadWholeFile(const std::string& name, WholeFile* file) {
  os::FileHandle handle = os::Os().files->Open(name, os::Access::kRead,
                                               os::Disposition::kOpenExisting, os::Share::kRead);
  uint64_t size = 0;
  if (!handle || !handle->Size(&size) || size > kLargestMappedFile) return false;
  WholeFile read;
  read.size = static_cast<uint32_t>(size);
  read.bytes.reset(new (std::nothrow) uint8_t[read.size ? read.size : 1]);
  if (!read.bytes) return false;
  if (!ReadAt(*handle, 0, read.bytes.get(), read.size)) return false;
  *file = std::move(read);
  return true;
}

}  // namespace firmware
