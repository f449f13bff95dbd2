// The flash-area table behind a Phoenix image, and the patch that restricts
// or widens what the flash tool writes: "bios.wph" is changed in place
// before the tool reads it.
#pragma once

#include <cstdint>

#include "os/os.h"

namespace firmware {

inline constexpr uint32_t kFlashAreaEntrySize = 16;
// The entry index is 8 bits wide: a table has at most this many entries.
inline constexpr uint32_t kFlashAreaEntries = 256;
// What the updater writes into the flags of an entry it selects.
inline constexpr uint16_t kAreaSelected = 0x22;

struct FlashAreaEntry {
  uint32_t AreaLength = 0;
  uint32_t ImageOffset = 0;
  uint32_t FlashAddress = 0;
  uint16_t Reserved = 0;  // not interpreted
  uint16_t AreaFlags = 0;

  static FlashAreaEntry Decode(const uint8_t* bytes);
  void Encode(uint8_t* bytes) const;
  // The table ends at the first entry whose four used fields are zero.
  bool Ends() const { return !AreaLength && !ImageOffset && !FlashAddress && !AreaFlags; }
};

struct FlashAreaLayout {
  uint64_t size = 0;    // of the image file
  uint64_t header = 0;  // "ZFLPF"
  uint64_t marker = 0;  // "ZQDS"
  uint64_t table = 0;   // first entry
};

// Finds the markers from 0x80000 (1 MiB in files of 1 MiB or more) and reads
// the table's offset from the 61-byte header. False when the markers or a
// whole header are missing.
bool LocateFlashAreaTable(os::File& image, FlashAreaLayout* layout);

// Patches "bios.wph" for FlashLastArea, BreakEscd and DmiOnly; does nothing
// without them. 1 when it marked the table's last entry, 0 otherwise. The
// image stays as it was on any failure.
int PatchFlashAreaTable();

}  // namespace firmware
