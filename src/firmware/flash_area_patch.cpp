#include "firmware/flash_area_patch.h"

#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/file_reads.h"
#include "firmware/firmware_state.h"
#include "firmware/flash_markers.h"
#include "os/little_endian.h"

namespace firmware {
namespace {

using little_endian::Load16;
using little_endian::Load32;

constexpr const char* kImage = "bios.wph";
constexpr uint64_t kOneMiB = 0x100000;
constexpr uint32_t kHeaderSize = 61, kTableOffsetAt = 53;
constexpr uint8_t kEscdEntryInLargeImages = 8;

bool WriteAt(os::File& file, uint64_t at, const uint8_t* from, uint32_t size) {
  uint32_t written = 0;
  return file.SeekTo(static_cast<int64_t>(at)) && file.Write(from, size, &written);
}

struct TableCopy {
  uint8_t before[kFlashAreaEntries][kFlashAreaEntrySize];
  uint8_t after[kFlashAreaEntries][kFlashAreaEntrySize];
  uint32_t read = 0;        // entries read
  int32_t terminator = -1;  // index of the entry that ended the walk
};

// The walk over the table: each entry changed as the flags say, in order,
// until an entry that is zero as it now stands. It stops without a
// terminator at the end of the file and after the last 8-bit index.
void WalkTable(os::File& image, const FlashAreaLayout& layout, uint32_t flags, TableCopy* t) {
  const uint8_t special = layout.size >= kOneMiB ? kEscdEntryInLargeImages : 0;
  const uint8_t kept = Firmware().KeptAreaIndex;
  for (uint32_t i = 0; i < kFlashAreaEntries; ++i) {
    if (!ReadAt(image, layout.table + uint64_t{kFlashAreaEntrySize} * i, t->before[i],
                kFlashAreaEntrySize))
      return;
    t->read = i + 1;
    FlashAreaEntry entry = FlashAreaEntry::Decode(t->before[i]);
    if (i == special && (flags & core::BreakEscd)) {
      // The area starts on the 64 KiB boundary below it and keeps its end.
      const uint32_t below = entry.ImageOffset & 0xFFFF;
      entry.AreaLength += below;
      entry.FlashAddress -= below;
      entry.ImageOffset -= below;
      entry.AreaFlags = kAreaSelected;
    }
    // The whole word: DmiOnly with any other bit excludes nothing.
    if (flags == core::DmiOnly && i != kept) entry.AreaFlags = 0;
    entry.Encode(t->after[i]);
    if (entry.Ends()) {
      t->terminator = static_cast<int32_t>(i);
      return;
    }
  }
}

// All changes go out in one write over the entries between the first and
// the last changed one; should it fail, the original bytes go back.
bool WriteChanges(os::File& image, uint64_t table, const TableCopy& t) {
  uint32_t first = t.read, last = 0;
  for (uint32_t i = 0; i < t.read; ++i) {
    for (uint32_t b = 0; b < kFlashAreaEntrySize; ++b) {
      if (t.before[i][b] == t.after[i][b]) continue;
      if (first == t.read) first = i;
      last = i;
      break;
    }
  }
  if (first == t.read) return true;
  const uint64_t at = table + uint64_t{kFlashAreaEntrySize} * first;
  const uint32_t size = (last - first + 1) * kFlashAreaEntrySize;
  if (WriteAt(image, at, t.after[first], size)) return true;
  WriteAt(image, at, t.before[first], size);
  return false;
}

}  // namespace

FlashAreaEntry FlashAreaEntry::Decode(const uint8_t* bytes) {
  FlashAreaEntry e;
  e.AreaLength = Load32(bytes);
  e.ImageOffset = Load32(bytes + 4);
  e.FlashAddress = Load32(bytes + 8);
  e.Reserved = Load16(bytes + 12);
  e.AreaFlags = Load16(bytes + 14);
  return e;
}

void FlashAreaEntry::Encode(uint8_t* bytes) const {
  little_endian::Store32(bytes, AreaLength);
  little_endian::Store32(bytes + 4, ImageOffset);
  little_endian::Store32(bytes + 8, FlashAddress);
  little_endian::Store16(bytes + 12, Reserved);
  little_endian::Store16(bytes + 14, AreaFlags);
}

bool LocateFlashAreaTable(os::File& image, FlashAreaLayout* layout) {
  if (!image.Size(&layout->size)) return false;
  FlashMarkers markers;
  const uint64_t start = layout->size < kOneMiB ? 0x80000 : kOneMiB;
  if (!FindFlashMarkers(image, layout->size, start, &markers)) return false;
  uint8_t header[kHeaderSize];
  if (!ReadAt(image, markers.header, header, kHeaderSize)) return false;
  layout->header = markers.header;
  layout->marker = markers.marker;
  const uint64_t first = markers.header < markers.marker ? markers.header : markers.marker;
  layout->table = first + Load32(header + kTableOffsetAt);
  return true;
}

int PatchFlashAreaTable() {
  const uint32_t flags = core::Shared().UpdateFlags;
  if (!(flags & (core::FlashLastArea | core::BreakEscd | core::DmiOnly))) return 0;
  os::FileHandle image = os::Os().files->Open(kImage, os::Access::kReadWrite,
                                              os::Disposition::kOpenExisting, os::Share::kRead);
  FlashAreaLayout layout;
  if (!image || !LocateFlashAreaTable(*image, &layout)) return 0;
  TableCopy table;
  WalkTable(*image, layout, flags, &table);
  // The entry before the terminator is the last; a table that ends at once,
  // or never, has none.
  const bool markLast = (flags & core::FlashLastArea) && table.terminator > 0;
  if (markLast) {
    uint8_t* last = table.after[table.terminator - 1];
    little_endian::Store16(last + 14, kAreaSelected);
  }
  if (!WriteChanges(*image, layout.table, table)) return 0;
  return markLast ? 1 : 0;
}

}  // namespace firmware
