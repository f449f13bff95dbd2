// libFuzzer target for the scans of image files: the input is both the
// flash tool's "newSys.bin" and an AMI "bios.rom". The new system file
// counts as read exactly when each of its four blocks lies (with the fields
// read from it) below the scan limit; the "$FID" record is found exactly
// when one lies whole in the file. Seeds (corpus/image_scans): a small
// new system file with its four blocks, an AMI image with its record.
#include <cstdint>
#include <cstring>
#include <string>

#include "firmware/ami_checks.h"
#include "firmware/firmware_state.h"
#include "firmware/new_system_identity.h"
#include "fuzz_notebook.h"

namespace {

// A block that starts with `text` below `limit`, with `need` bytes from it
// inside the file.
bool Holds(const std::string& f, const char* text, size_t limit, size_t need) {
  for (size_t at = f.find(text); at != std::string::npos && at < limit; at = f.find(text, at + 1))
    if (at + need <= f.size()) return true;
  return false;
}

bool HoldsFidRecord(const std::string& f) {
  for (size_t at = f.find("$FID"); at != std::string::npos; at = f.find("$FID", at + 1))
    if (at + 60 <= f.size() && f[at + 5] == '?') return true;
  return false;
}

fuzzing::FuzzNotebook& Notebook() {
  static fuzzing::FuzzNotebook notebook("orv-fuzz-images");
  return notebook;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  sim::Notebook& notebook = Notebook().Fresh();
  notebook.files().Put("newSys.bin", file);
  notebook.files().Put("bios.rom", file);

  const size_t limit = size < 0x100000 ? 0x7FFD8 : 0xFFFD8;
  const bool whole = Holds(file, "DiaG@", limit, 16) && Holds(file, "DEVEL", limit, 8) &&
                     Holds(file, "BCPDMI", limit, 6) && Holds(file, "BCPSYS", limit, 107);
  const core::ResultCode read = firmware::ReadNewSystemIdentity("newSys.bin");
  if ((read == core::ResultSuccess) != whole) __builtin_trap();
  const firmware::FirmwareState& state = firmware::Firmware();
  if (std::strlen(state.NewModelNumber) > 4 || std::strlen(state.NewPartNumber) > 3)
    __builtin_trap();

  char part[4] = {};
  if (firmware::ReadAmiImagePartNumber("bios.rom", part) != 0) __builtin_trap();
  const uint32_t version = firmware::ReadAmiImageVersion("bios.rom");
  if (!HoldsFidRecord(file) && (part[0] != 0 || version != 0)) __builtin_trap();
  return 0;
}
