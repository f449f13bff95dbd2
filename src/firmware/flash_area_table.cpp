#include "firmware/flash_area_table.h"

#include "core/update_flags.h"
#include "firmware/flash_markers.h"
#include "os/little_endian.h"

namespace firmware {
namespace {

using little_endian::Load16;
using little_endian::Load32;

constexpr uint32_t kHeaderSize = 61, kTableOffsetAt = 53;
constexpr uint8_t kEscdEntryInLargeImages = 8;

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

bool LocateFlashAreaTable(ImageReader& image, uint64_t size, FlashAreaLayout* layout) {
  layout->size = size;
  FlashMarkers markers;
  const uint64_t start = size < kLargeImageSize ? 0x80000 : kLargeImageSize;
  if (!FindFlashMarkers(image, size, start, &markers)) return false;
  uint8_t header[kHeaderSize];
  if (!image.ReadAt(markers.header, header, kHeaderSize)) return false;
  layout->header = markers.header;
  layout->marker = markers.marker;
  const uint64_t first = markers.header < markers.marker ? markers.header : markers.marker;
  layout->table = first + Load32(header + kTableOffsetAt);
  return true;
}

uint8_t EscdEntryIndex(uint64_t size) {
  return size >= kLargeImageSize ? kEscdEntryInLargeImages : 0;
}

void PlanFlashAreaPatch(ImageReader& image, const FlashAreaLayout& layout, uint32_t flags,
                        uint8_t kept, FlashAreaPlan* plan) {
  plan->read = 0;
  plan->terminator = -1;
  plan->lastMarked = false;
  const uint8_t special = EscdEntryIndex(layout.size);
  for (uint32_t i = 0; i < kFlashAreaEntries; ++i) {
    if (!image.ReadAt(layout.table + uint64_t{kFlashAreaEntrySize} * i, plan->before[i],
                      kFlashAreaEntrySize))
      break;
    plan->read = i + 1;
    FlashAreaEntry entry = FlashAreaEntry::Decode(plan->before[i]);
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
    entry.Encode(plan->after[i]);
    if (entry.Ends()) {
      plan->terminator = static_cast<int32_t>(i);
      break;
    }
  }
  if ((flags & core::FlashLastArea) && plan->terminator > 0) {
    little_endian::Store16(plan->after[plan->terminator - 1] + 14, kAreaSelected);
    plan->lastMarked = true;
  }
}

}  // namespace firmware
