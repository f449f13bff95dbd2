#include "firmware/flash_area_patch.h"

#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/file_reads.h"
#include "firmware/firmware_state.h"

namespace firmware {
namespace {

constexpr const char* kImage = "bios.wph";

bool WriteAt(os::File& file, uint64_t at, const uint8_t* from, uint32_t size) {
  uint32_t written = 0;
  return file.SeekTo(static_cast<int64_t>(at)) && file.Write(from, size, &written);
}

// All changes go out in one write over the entries between the first and
// the last changed one; should it fail, the original bytes go back.
bool WriteChanges(os::File& image, uint64_t table, const FlashAreaPlan& plan) {
  uint32_t first = plan.read, last = 0;
  for (uint32_t i = 0; i < plan.read; ++i) {
    for (uint32_t b = 0; b < kFlashAreaEntrySize; ++b) {
      if (plan.before[i][b] == plan.after[i][b]) continue;
      if (first == plan.read) first = i;
      last = i;
      break;
    }
  }
  if (first == plan.read) return true;
  const uint64_t at = table + uint64_t{kFlashAreaEntrySize} * first;
  const uint32_t size = (last - first + 1) * kFlashAreaEntrySize;
  if (WriteAt(image, at, plan.after[first], size)) return true;
  WriteAt(image, at, plan.before[first], size);
  return false;
}

}  // namespace

bool LocateFlashAreaTable(os::File& image, FlashAreaLayout* layout) {
  uint64_t size = 0;
  FileImageReader reader(image);
  return image.Size(&size) && LocateFlashAreaTable(reader, size, layout);
}

int PatchFlashAreaTable() {
  const uint32_t flags = core::Shared().UpdateFlags;
  if (!(flags & (core::FlashLastArea | core::BreakEscd | core::DmiOnly))) return 0;
  os::FileHandle image = os::Os().files->Open(kImage, os::Access::kReadWrite,
                                              os::Disposition::kOpenExisting, os::Share::kRead);
  FlashAreaLayout layout;
  if (!image || !LocateFlashAreaTable(*image, &layout)) return 0;
  FileImageReader reader(*image);
  FlashAreaPlan plan;
  PlanFlashAreaPatch(reader, layout, flags, Firmware().KeptAreaIndex, &plan);
  if (!WriteChanges(*image, layout.table, plan)) return 0;
  return plan.lastMarked ? 1 : 0;
}

}  // namespace firmware
