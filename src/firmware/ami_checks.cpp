#include "firmware/ami_checks.h"

#include <cstring>

#include "firmware/current_identity.h"
#include "firmware/firmware_state.h"
#include "firmware/text_field.h"
#include "firmware/whole_file.h"

namespace firmware {
namespace {

constexpr const char* kAmiImage = "bios.rom";
constexpr uint32_t kPartAt = 9, kPartLength = 3, kVersionAt = 52, kVersionLength = 8;
// A record counts only when both of its fields lie inside the file.
constexpr uint32_t kRecordSize = kVersionAt + kVersionLength;

// The offset of the first "$FID" record with '?' at its byte 5, -1 when
// there is none.
int64_t FindFidRecord(const WholeFile& file) {
  if (file.size < kRecordSize) return -1;
  for (uint32_t i = 0; i + kRecordSize <= file.size; ++i) {
    const uint8_t* at = file.bytes.get() + i;
    if (at[0] == '$' && std::memcmp(at, "$FID", 4) == 0 && at[5] == '?') return i;
  }
  return -1;
}

}  // namespace

uint32_t ReadAmiImageVersion(const std::string& name) {
  WholeFile file;
  if (!ReadWholeFile(name, &file)) return kSignatureMissing;
  const int64_t record = FindFidRecord(file);
  if (record < 0) return 0;
  return static_cast<uint32_t>(
      DecimalValue(file.bytes.get() + record + kVersionAt, kVersionLength));
}

uint32_t ReadAmiImagePartNumber(const std::string& name, char* buffer) {
  WholeFile file;
  if (!ReadWholeFile(name, &file)) return kSignatureMissing;
  const int64_t record = FindFidRecord(file);
  if (record >= 0) {
    std::memcpy(buffer, file.bytes.get() + record + kPartAt, kPartLength);
    buffer[kPartLength] = '\0';
  }
  return 0;
}

core::ResultCode CheckAmiPartNumber() {
  char installed[kPartLength + 1] = {};
  char offered[kPartLength + 1] = {};  // stays empty when the image has no record
  if (ReadCurrentPartNumber(installed) != 0) return core::ResultDriverLoad;
  if (ReadAmiImagePartNumber(kAmiImage, offered) != 0) return kSignatureMissing;
  if (std::strncmp(installed, offered, kPartLength) == 0) return core::ResultSuccess;
  FirmwareState& state = Firmware();
  std::memcpy(state.CurrentFirmwareIdentity.BiosPartNumber, installed, sizeof installed);
  std::memcpy(state.NewPartNumber, offered, sizeof offered);
  return core::ResultModelMismatch;
}

core::ResultCode CheckAmiImage() {
  const uint32_t installed = ReadAmiBiosVersion();
  if (installed == 0 || installed == kSignatureMissing || installed == core::ResultDriverLoad)
    return core::ResultDriverLoad;
  const uint32_t offered = ReadAmiImageVersion(kAmiImage);
  if (offered == 0 || offered == kSignatureMissing) return core::ResultBiosFile;
  if (installed > offered) return core::ResultBiosDate;
  return CheckAmiPartNumber();
}

}  // namespace firmware
