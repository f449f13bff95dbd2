#include "firmware/read_bios.h"

#include "core/log.h"
#include "hw/device_requests.h"
#include "hw/driver_loading.h"
#include "os/os.h"

namespace firmware {
namespace {

// Copies the firmware chunk by chunk; false after logging the first failure.
bool CopyFirmware(os::File& file, const char* fileName) {
  uint8_t chunk[kReadBiosChunk];
  for (uint32_t offset = 0; offset < kFirmwareTopSize; offset += kReadBiosChunk) {
    const uint32_t address = kFirmwareTop + offset;
    if (!hw::ReadPhysical({address, 0, kReadBiosChunk, chunk})) {
      core::WriteLog("Read BIOS : physical read failed at 0x%08X", address);
      return false;
    }
    uint32_t written = 0;
    if (!file.Write(chunk, kReadBiosChunk, &written) || written != kReadBiosChunk) {
      core::WriteLog("Read BIOS : %s not written at offset 0x%06X", fileName, offset);
      return false;
    }
  }
  return true;
}

}  // namespace

void ReadBiosToFile(const char* fileName) {
  if (!hw::OpenDriverWithRetry()) return;
  os::FileSystem& files = *os::Os().files;
  uint32_t error = 0;
  os::FileHandle file = files.Open(fileName, os::Access::kReadWrite, os::Disposition::kOpenAlways,
                                   os::Share::kRead, &error);
  if (!file) {
    core::WriteLog("Read BIOS : %s cannot be opened (error %u)", fileName, error);
    hw::CloseDriver();
    return;
  }
  const bool copied = CopyFirmware(*file, fileName);
  file.reset();
  hw::CloseDriver();
  if (copied) return;
  // By now the file's first bytes are already overwritten: what is left is
  // neither the earlier file nor a dump, so it goes whole.
  if (files.Remove(fileName))
    core::WriteLog("Read BIOS : %s removed", fileName);
  else
    core::WriteLog("Read BIOS : %s could not be removed", fileName);
}

}  // namespace firmware
