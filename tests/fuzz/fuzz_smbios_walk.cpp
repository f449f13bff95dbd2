// libFuzzer target for the identity read over arbitrary firmware memory:
// the input's first 64 KiB are the BIOS area at 0xF0000 (where the entry
// point and the maker's blocks are searched), the rest a window at the
// address the seeds' entry points give the table. Byte 0 bit 0 of the area
// chooses UseDiagRecord. Every field must come back terminated, and the
// walk must end. Seeds (corpus/smbios_walk): the profiles' notebook tables
// behind 2.x, legacy and 3.x-only entry points, with the maker's blocks.
#include <cstdint>
#include <cstring>

#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/current_identity.h"
#include "firmware/firmware_state.h"
#include "fuzz_notebook.h"

namespace {

constexpr uint64_t kTableWindow = 0xBFF9E000;
constexpr uint32_t kArea = machine::PhysicalMemory::kFirmwareSize;
constexpr uint32_t kWindow = machine::PhysicalMemory::kWindowSize;

fuzzing::FuzzNotebook& Notebook() {
  static fuzzing::FuzzNotebook notebook("orv-fuzz-smbios");
  return notebook;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::FuzzNotebook& fuzz = Notebook();
  sim::Notebook& notebook = fuzz.Fresh();
  // Only the two ranges the input fills are rewritten: the model's own
  // reset fills all its memory byte by byte, which dominates a run here.
  machine::PhysicalMemory& memory = fuzz.hardware().memory;
  static const bool placed = memory.PlaceWindow(kTableWindow, kWindow);
  if (!placed) __builtin_trap();
  uint8_t* window = memory.At(kTableWindow);
  std::memset(memory.firmware, 0, kArea);
  std::memset(window, 0, kWindow);
  const size_t area = size < kArea ? size : kArea;
  std::memcpy(memory.firmware, data, area);
  const size_t rest = size - area < kWindow ? size - area : kWindow;
  std::memcpy(window, data + area, rest);
  core::Shared().UpdateFlags = (size && (data[0] & 1)) ? core::UseDiagRecord : 0;

  if (firmware::ReadCurrentIdentity() != core::ResultSuccess) __builtin_trap();
  const firmware::FirmwareIdentity& id = firmware::Firmware().CurrentFirmwareIdentity;
  for (const char* field : {id.BiosPartVersion, id.BiosModelNumber, id.BiosPartNumber,
                            id.PurchaseDate, id.SystemSerial, id.BiosFlag}) {
    if (!std::memchr(field, 0, firmware::kIdentityFieldSize)) __builtin_trap();
  }
  const bool wide = core::Shared().UpdateFlags & core::UseDiagRecord;
  if (std::strlen(id.BiosModelNumber) > (wide ? 5u : 4u)) __builtin_trap();
  if (std::strlen(id.BiosPartNumber) > 3) __builtin_trap();
  if (notebook.devices().OpenHandles() != 0) __builtin_trap();
  return 0;
}
