#include "image_report.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/sequence_state.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/ami_checks.h"
#include "firmware/firmware_state.h"
#include "firmware/flash_area_patch.h"
#include "firmware/new_system_identity.h"
#include "os/sim/host_files.h"
#include "os/sim/notebook.h"

namespace orvsim {
namespace {

constexpr const char* kWork = "C:\\Work";

// The table's entries up to its terminator (`*ended`), or, with `count`,
// that many entries whatever they hold.
std::vector<firmware::FlashAreaEntry> ReadTable(const firmware::FlashAreaLayout& layout,
                                                bool* ended, size_t count = 0) {
  std::vector<firmware::FlashAreaEntry> entries;
  *ended = false;
  os::FileHandle image = os::Os().files->Open("bios.wph", os::Access::kRead,
                                              os::Disposition::kOpenExisting, os::Share::kRead);
  const size_t limit = count ? count : firmware::kFlashAreaEntries;
  for (uint32_t i = 0; image && i < limit; ++i) {
    uint8_t bytes[firmware::kFlashAreaEntrySize];
    uint32_t got = 0;
    if (!image->SeekTo(static_cast<int64_t>(layout.table + 16ull * i)) ||
        !image->Read(bytes, sizeof bytes, &got) || got != sizeof bytes)
      break;
    const firmware::FlashAreaEntry entry = firmware::FlashAreaEntry::Decode(bytes);
    if (!count && entry.Ends()) {
      *ended = true;
      break;
    }
    entries.push_back(entry);
  }
  return entries;
}

void PrintEntry(const char* prefix, size_t index, const firmware::FlashAreaEntry& e) {
  std::printf("%s%3zu  0x%08X  0x%08X  0x%08X  0x%04X  0x%04X\n", prefix, index, e.AreaLength,
              e.ImageOffset, e.FlashAddress, e.Reserved, e.AreaFlags);
}

// Returns the table's layout when the image has one.
bool ShowTable(firmware::FlashAreaLayout* layout, std::vector<firmware::FlashAreaEntry>* entries) {
  os::FileHandle image = os::Os().files->Open("bios.wph", os::Access::kRead,
                                              os::Disposition::kOpenExisting, os::Share::kRead);
  if (!image || !firmware::LocateFlashAreaTable(*image, layout)) {
    std::printf(
        "flash-area table: no \"ZFLPF\" header with a \"ZQDS\" marker behind the start "
        "of the search\n");
    return false;
  }
  image.reset();
  bool ended = false;
  *entries = ReadTable(*layout, &ended);
  std::printf("markers: \"ZFLPF\" at 0x%08llX, \"ZQDS\" at 0x%08llX\n",
              static_cast<unsigned long long>(layout->header),
              static_cast<unsigned long long>(layout->marker));
  std::printf("flash-area table at 0x%08llX, %zu entries%s (special entry %d)\n",
              static_cast<unsigned long long>(layout->table), entries->size(),
              ended ? "" : ", no terminator before the end of the file",
              layout->size >= 0x100000 ? 8 : 0);
  std::printf("  index  AreaLength  ImageOffset FlashAddress reserved AreaFlags\n");
  for (size_t i = 0; i < entries->size(); ++i) PrintEntry("  ", i, (*entries)[i]);
  return true;
}

void ShowNewSystemBlocks() {
  uint16_t word = 0;
  const bool whole = firmware::ReadNewSystemIdentity("newSys.bin", &word) == core::ResultSuccess;
  const firmware::FirmwareState& state = firmware::Firmware();
  std::printf("as a new system file: %s; model \"%s\", part number \"%s\"",
              whole ? "all four blocks" : "not all four blocks", state.NewModelNumber,
              state.NewPartNumber);
  if (whole)
    std::printf(", kept-area word 0x%04X: KeptAreaIndex %u\n", word, state.KeptAreaIndex);
  else
    std::printf("\n");
}

void ShowFidRecord() {
  char part[4] = {};
  firmware::ReadAmiImagePartNumber("bios.rom", part);
  const uint32_t version = firmware::ReadAmiImageVersion("bios.rom");
  if (part[0] || version)
    std::printf("\"$FID\" record: part number \"%s\", version %u\n", part, version);
  else
    std::printf("\"$FID\" record: none\n");
}

void ShowPatch(const ImageRequest& request, const firmware::FlashAreaLayout& layout,
               const std::vector<firmware::FlashAreaEntry>& before) {
  core::Shared().UpdateFlags = request.flags;
  firmware::Firmware().KeptAreaIndex = request.keptArea;
  const int marked = firmware::PatchFlashAreaTable();
  std::printf("patch with UpdateFlags 0x%08X (%s), KeptAreaIndex %u: returns %d\n", request.flags,
              core::UpdateFlagNames(request.flags).c_str(), request.keptArea, marked);
  bool ended = false;
  const std::vector<firmware::FlashAreaEntry> after = ReadTable(layout, &ended, before.size());
  int changed = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    const firmware::FlashAreaEntry& b = before[i];
    const firmware::FlashAreaEntry& a = after[i];
    if (std::memcmp(&a, &b, sizeof a) == 0) continue;
    PrintEntry("  was ", i, b);
    PrintEntry("  now ", i, a);
    ++changed;
  }
  if (changed == 0) std::printf("  no entry changes\n");
}

}  // namespace

int ShowImage(const ImageRequest& request) {
  std::string bytes;
  if (!sim::ReadHostFile(request.path, &bytes)) {
    std::fprintf(stderr, "orv-sim: cannot read %s\n", request.path.c_str());
    return 2;
  }
  sim::ScratchFolder scratch("orv-sim");
  sim::Notebook notebook(sim::Profile{}, scratch.path());
  notebook.Install();
  app::ResetRunState();
  notebook.files().MakeDirectories(kWork);
  notebook.files().ChangeDirectory(kWork);
  for (const char* name : {"bios.wph", "newSys.bin", "bios.rom"}) notebook.files().Put(name, bytes);

  std::printf("image: %s (%zu bytes)\n", request.path.c_str(), bytes.size());
  firmware::FlashAreaLayout layout;
  std::vector<firmware::FlashAreaEntry> entries;
  const bool table = ShowTable(&layout, &entries);
  ShowNewSystemBlocks();
  ShowFidRecord();
  if (request.patch) {
    if (table)
      ShowPatch(request, layout, entries);
    else
      std::printf("patch: nothing to patch without a table\n");
  }
  return 0;
}

}  // namespace orvsim
