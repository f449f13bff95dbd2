#include "firmware/ami_checks.h"

#include <cstring>

#include "firmware/current_identity.h"
#include "firmware/fid_record.h"
#include "firmware/firmware_state.h"
#include "firmware/whole_file.h"

namespace firmware {
namespace {

constexpr const char* kAmiImage = "bios.rom";

}  // namespace

uint32_t ReadAmiImageVersion(const std::string& name) {
  WholeFile file;
  if (!ReadWholeFile(name, &file)) return kSignatureMissing;
  const int64_t record = FindFidRecord(file.bytes.get(), file.size);
  if (record < 0) return 0;
  return FidVersion(file.bytes.get() + record);
}

uint32_t ReadAmiImagePartNumber(const std::string& name, char* buffer) {
  WholeFile file;
  if (!ReadWholeFile(name, &file)) return kSignatureMissing;
  const int64_t record = FindFidRecord(file.bytes.get(), file.size);
  if (record >= 0) FidPartNumber(file.bytes.get() + record, buffer);
  return 0;
}

core::ResultCode CheckAmiPartNumber() {
  char installed[kFidPartLength + 1] = {};
  char offered[kFidPartLength + 1] = {};  // stays empty when the image has no record
  if (ReadCurrentPartNumber(installed) != 0) return core::ResultDriverLoad;
  if (ReadAmiImagePartNumber(kAmiImage, offered) != 0) return kSignatureMissing;
  if (std::strncmp(installed, offered, kFidPartLength) == 0) return core::ResultSuccess;
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
