// libFuzzer target for the flash-area patch of "bios.wph", against the
// patch as its procedure reads: a search that tests one position at a time
// and a walk that writes each entry back as it goes. The input lands behind
// 0x80000 bytes of zeros (or 1 MiB of them, by bit 0 of its first byte), so
// that it lies where the search looks; the first two bytes also choose the
// flags and the kept entry. Both must leave the same bytes and give the
// same result. Seeds (corpus/flash_area_patch): images shaped like the
// procedure's example (ten 64 KiB areas, the special one unaligned) with
// each flag, on both sides of 1 MiB and across the search's block boundary.
#include <cstdint>
#include <cstring>
#include <string>

#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/firmware_state.h"
#include "firmware/flash_area_patch.h"
#include "fuzz_notebook.h"

namespace {

uint32_t Load32(const std::string& f, uint64_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(f[at + i]);
  return v;
}
void Store32(std::string& f, uint64_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = static_cast<char>(v >> (8 * i));
}

// The reference: five bytes compared at each position from the start, the
// table walked entry by entry with each change written at once; it stops at
// the end of the file and after 256 entries, and a table that ends at its
// first entry has no last one.
int ReferencePatch(std::string& f, uint32_t flags, uint8_t kept) {
  if (!(flags & (core::FlashLastArea | core::BreakEscd | core::DmiOnly))) return 0;
  const uint64_t size = f.size();
  const uint64_t start = size < 0x100000 ? 0x80000 : 0x100000;
  int64_t header = -1, marker = -1;
  for (uint64_t at = start; at + 5 < size; ++at) {
    if (f.compare(at, 5, "ZFLPF") == 0) header = static_cast<int64_t>(at);
    if (f.compare(at, 4, "ZQDS") == 0) marker = static_cast<int64_t>(at);
    if (header >= 0 && marker >= 0) break;
  }
  if (header < 0 || marker < 0) return 0;
  if (static_cast<uint64_t>(header) + 61 > size) return 0;
  const uint64_t table = static_cast<uint64_t>(header < marker ? header : marker) +
                         Load32(f, static_cast<uint64_t>(header) + 53);
  const uint8_t special = size >= 0x100000 ? 8 : 0;
  int terminator = -1;
  for (int i = 0; i < 256; ++i) {
    const uint64_t at = table + 16u * static_cast<uint64_t>(i);
    if (at + 16 > size) break;
    uint32_t length = Load32(f, at), offset = Load32(f, at + 4), address = Load32(f, at + 8);
    uint16_t areaFlags = static_cast<uint16_t>(static_cast<uint8_t>(f[at + 14]) |
                                               static_cast<uint8_t>(f[at + 15]) << 8);
    if (i == special && (flags & core::BreakEscd)) {
      length += offset & 0xFFFF;
      address -= offset & 0xFFFF;
      offset &= 0xFFFF0000;
      areaFlags = 0x22;
    }
    if (flags == core::DmiOnly && i != kept) areaFlags = 0;
    Store32(f, at, length);
    Store32(f, at + 4, offset);
    Store32(f, at + 8, address);
    f[at + 14] = static_cast<char>(areaFlags);
    f[at + 15] = static_cast<char>(areaFlags >> 8);
    if (!length && !offset && !address && !areaFlags) {
      terminator = i;
      break;
    }
  }
  if (terminator <= 0 || !(flags & core::FlashLastArea)) return 0;
  const uint64_t last = table + 16u * static_cast<uint64_t>(terminator - 1);
  f[last + 14] = 0x22;
  f[last + 15] = 0;
  return 1;
}

fuzzing::FuzzNotebook& Notebook() {
  static fuzzing::FuzzNotebook notebook("orv-fuzz-patch");
  return notebook;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const uint32_t kFlags[] = {core::FlashLastArea,
                                    core::BreakEscd,
                                    core::DmiOnly,
                                    core::FlashLastArea | core::BreakEscd,
                                    core::DmiOnly | core::FlashLastArea,
                                    core::DmiOnly | core::SkipCheckPower,
                                    core::BreakEscd | core::DmiOnly,
                                    core::SkipCheckPower};
  const uint32_t flags = kFlags[(data[0] >> 1) & 7];
  const uint8_t kept = data[1];
  std::string image((data[0] & 1) ? 0x100000 : 0x80000, '\0');
  image.append(reinterpret_cast<const char*>(data + 2), size - 2);

  sim::Notebook& notebook = Notebook().Fresh();
  notebook.files().Put("bios.wph", image);
  core::Shared().UpdateFlags = flags;
  firmware::Firmware().KeptAreaIndex = kept;
  const int result = firmware::PatchFlashAreaTable();
  std::string patched;
  notebook.files().Get("bios.wph", &patched);

  const int expected = ReferencePatch(image, flags, kept);
  if (result != expected || patched != image) __builtin_trap();
  return 0;
}
