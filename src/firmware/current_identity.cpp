#include "firmware/current_identity.h"

#include <cstring>

#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/firmware_state.h"
#include "firmware/smbios_walk.h"
#include "firmware/text_field.h"
#include "hw/device_requests.h"
#include "hw/driver_loading.h"
#include "hw/memory_search.h"
#include "hw/sw_smi.h"

namespace firmware {
namespace {

constexpr uint64_t kBiosArea = 0xF0000;
constexpr uint32_t kBiosAreaSize = 0x10000;
constexpr uint8_t kSystemInformation = 1, kOemStrings = 11;
constexpr uint16_t kModelQuery = 4;
constexpr uint32_t kDevelSize = 10, kDiagSize = 40, kSmiReplySize = 16;
constexpr uint32_t kPartNumberAt = 5, kPartNumberLength = 3;
constexpr uint32_t kModelAt = 11, kVersionAt = 25;
constexpr uint32_t kAmiVersionAt = 26, kAmiVersionLength = 8;

// `size` bytes from `offset` into the block that starts with `signature`
// (stride 1) in the BIOS area. Only bytes inside the area are read; the
// rest of `to` is zero, as is all of it when the block is missing (false).
bool ReadBlock(const char* signature, uint32_t offset, uint8_t* to, uint32_t size) {
  std::memset(to, 0, size);
  const uint64_t match = hw::FindSignature(kBiosArea, kBiosAreaSize, signature, 1);
  if (match == 0) return false;
  const uint64_t from = match + offset, areaEnd = kBiosArea + kBiosAreaSize;
  if (from >= areaEnd) return true;
  const uint32_t n = static_cast<uint32_t>(areaEnd - from < size ? areaEnd - from : size);
  hw::ReadPhysical(hw::PhysicalRange{static_cast<uint32_t>(from), 0, n, to});
  return true;
}

void ReadSmbiosStrings(FirmwareIdentity& id) {
  SmbiosTable table;
  if (const uint64_t system = FindSmbiosStructure(kSystemInformation, &table)) {
    char* const fields[] = {nullptr, nullptr, nullptr, id.SystemSerial};
    CopyStructureStrings(system, table, fields, 4, kIdentityFieldSize);
  }
  if (const uint64_t oem = FindSmbiosStructure(kOemStrings, &table)) {
    char* const fields[] = {id.BiosFlag, id.PurchaseDate};
    CopyStructureStrings(oem, table, fields, 2, kIdentityFieldSize);
  }
}

// Steps 5 and 6: the model number from the software-SMI query. False when
// the interface is not there or not usable, which leaves the model to the
// "DiaG@" block. A call the firmware never answered counts as unusable.
bool QueryModelBySmi(FirmwareIdentity& id, bool wide) {
  if (!hw::LocateSwSmi()) return false;
  uint8_t reply[kSmiReplySize] = {};
  if (!hw::CallSwSmi(kModelQuery, reply, 0)) return false;
  char smiModel[5];
  CopyText(smiModel, sizeof smiModel, reply, 4);
  if (wide) {
    uint8_t diag[kDiagSize];
    ReadBlock("DiaG@", 0, diag, kDiagSize);
    CopyText(id.BiosModelNumber, kIdentityFieldSize, diag + kModelAt, kDiagSize - kModelAt);
    const size_t used = std::strlen(id.BiosModelNumber);
    CopyText(id.BiosModelNumber + used, kIdentityFieldSize - used,
             reinterpret_cast<const uint8_t*>(smiModel), 4);
    return true;
  }
  // Over the start of the field, as the firmware answers it.
  std::memcpy(id.BiosModelNumber, reply, 4);
  return reply[0] != 0xFF;
}

}  // namespace

core::ResultCode ReadCurrentIdentity() {
  if (!hw::OpenDriverWithRetry()) return core::ResultDriverLoad;
  FirmwareIdentity& id = Firmware().CurrentFirmwareIdentity;
  id = FirmwareIdentity{};
  const bool wide = core::Shared().UpdateFlags & core::UseDiagRecord;
  const size_t kept = wide ? 5 : 4;

  ReadSmbiosStrings(id);
  uint8_t devel[kDevelSize];
  if (ReadBlock("DEVEL", 0, devel, kDevelSize))
    CopyText(id.BiosPartNumber, kIdentityFieldSize, devel + kPartNumberAt, kPartNumberLength);

  const bool bySmi = QueryModelBySmi(id, wide);
  uint8_t diag[kDiagSize];
  ReadBlock("DiaG@", 0, diag, kDiagSize);
  if (!bySmi) {
    const uint32_t from = wide ? kModelAt : kModelAt + 1;
    CopyText(id.BiosModelNumber, kIdentityFieldSize, diag + from, kept);
  }
  id.BiosModelNumber[kept] = '\0';
  CopyText(id.BiosPartVersion, kIdentityFieldSize, diag + kVersionAt, kept);
  hw::CloseDriver();
  return core::ResultSuccess;
}

// Both AMI readers close the driver on every path, the missing signature
// included: no handle stays open between steps.
uint32_t ReadAmiBiosVersion() {
  if (!hw::OpenDriverWithRetry()) return core::ResultDriverLoad;
  uint8_t text[kAmiVersionLength];
  const bool found = ReadBlock("AMIBIOS", kAmiVersionAt, text, kAmiVersionLength);
  hw::CloseDriver();
  if (!found) return kSignatureMissing;
  return static_cast<uint32_t>(DecimalValue(text, kAmiVersionLength));
}

uint32_t ReadCurrentPartNumber(char* buffer) {
  if (!hw::OpenDriverWithRetry()) return core::ResultDriverLoad;
  uint8_t part[kPartNumberLength];
  const bool found = ReadBlock("DEVEL", kPartNumberAt, part, kPartNumberLength);
  hw::CloseDriver();
  if (!found) return kSignatureMissing;
  std::memcpy(buffer, part, kPartNumberLength);
  buffer[kPartNumberLength] = '\0';
  return 0;
}

}  // namespace firmware
