// The flash-area table behind a Phoenix image: where it lies, its entries,
// and the changes the updater's patch makes to them for FlashLastArea,
// BreakEscd and DmiOnly, computed without writing anything.
#pragma once

#include <cstdint>

#include "firmware/image_reader.h"

namespace firmware {

inline constexpr uint32_t kFlashAreaEntrySize = 16;
// The entry index is 8 bits wide: a table has at most this many entries.
inline constexpr uint32_t kFlashAreaEntries = 256;
// What the updater writes into the flags of an entry it selects.
inline constexpr uint16_t kAreaSelected = 0x22;
// Images of at least this size are searched from it, smaller ones from
// 0x80000; their ESCD entry is entry 8, not entry 0.
inline constexpr uint64_t kLargeImageSize = 0x100000;

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

// Finds the markers of an image of `size` bytes from 0x80000 (1 MiB in
// images of 1 MiB or more) and reads the table's offset from the 61-byte
// header. False when the markers or a whole header are missing.
bool LocateFlashAreaTable(ImageReader& image, uint64_t size, FlashAreaLayout* layout);

// The entry BreakEscd adjusts: 8 in images of 1 MiB or more, else 0.
uint8_t EscdEntryIndex(uint64_t size);

// The table as read and as the patch leaves it.
struct FlashAreaPlan {
  uint8_t before[kFlashAreaEntries][kFlashAreaEntrySize];
  uint8_t after[kFlashAreaEntries][kFlashAreaEntrySize];
  uint32_t read = 0;        // entries read
  int32_t terminator = -1;  // index of the entry that ended the walk; -1 when none did
  bool lastMarked = false;  // FlashLastArea selected the entry before the terminator
};

// Walks the table, each entry changed as `flags` (the whole UpdateFlags
// word) say, in order, until an entry that is zero as it now stands; it
// stops without a terminator at the end of the image and after the last
// 8-bit index. With FlashLastArea the entry before the terminator is then
// selected; a table that ends at once, or never, has none. `kept` is the
// entry a DMI-only run keeps.
void PlanFlashAreaPatch(ImageReader& image, const FlashAreaLayout& layout, uint32_t flags,
                        uint8_t kept, FlashAreaPlan* plan);

}  // namespace firmware
