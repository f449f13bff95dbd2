#include "firmware/new_system_identity.h"

#include <cstring>

#include "firmware/firmware_state.h"
#include "firmware/text_field.h"
#include "firmware/whole_file.h"
#include "os/little_endian.h"

namespace firmware {
namespace {

constexpr uint32_t kOneMiB = 0x100000;
constexpr uint32_t kModelAt = 12, kModelLength = 4, kPartAt = 5, kPartLength = 3;
constexpr uint32_t kKeptAreaWordAt = 105;

// A block counts only when the fields read from it lie inside the file.
bool BlockAt(const uint8_t* at, uint32_t room, const char* text, uint32_t fieldsEnd) {
  const uint32_t n = static_cast<uint32_t>(std::strlen(text));
  return room >= n && room >= fieldsEnd && std::memcmp(at, text, n) == 0;
}

}  // namespace

core::ResultCode ReadNewSystemIdentity(const std::string& name, uint16_t* keptAreaWord) {
  WholeFile file;
  if (!ReadWholeFile(name, &file)) return core::ResultBiosFile;
  FirmwareState& state = Firmware();
  const bool small = file.size < kOneMiB;
  uint32_t limit = small ? 0x7FFD8 : 0xFFFD8;
  if (limit > file.size) limit = file.size;

  bool model = false, part = false, dmi = false, system = false;
  uint16_t word = 0;
  for (uint32_t i = 0; i < limit && !(model && part && dmi && system); ++i) {
    const uint8_t* at = file.bytes.get() + i;
    const uint32_t room = file.size - i;
    if (BlockAt(at, room, "DiaG@", kModelAt + kModelLength)) {
      CopyText(state.NewModelNumber, kIdentityFieldSize, at + kModelAt, kModelLength);
      model = true;
    } else if (BlockAt(at, room, "DEVEL", kPartAt + kPartLength)) {
      CopyText(state.NewPartNumber, kIdentityFieldSize, at + kPartAt, kPartLength);
      part = true;
    } else if (BlockAt(at, room, "BCPDMI", 0)) {
      dmi = true;
    } else if (BlockAt(at, room, "BCPSYS", kKeptAreaWordAt + 2)) {
      word = little_endian::Load16(at + kKeptAreaWordAt);
      system = true;
    }
  }
  if (system && keptAreaWord) *keptAreaWord = word;
  if (!(model && part && dmi && system)) return core::ResultBiosFile;
  // The word's top four bits, counted from the 1 MiB mark in smaller files.
  state.KeptAreaIndex = static_cast<uint8_t>((word >> 12) - (small ? 8 : 0));
  return core::ResultSuccess;
}

}  // namespace firmware
