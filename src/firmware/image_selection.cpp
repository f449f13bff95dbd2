#include "firmware/image_selection.h"

#include "core/log.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/firmware_state.h"
#include "os/ascii_case.h"
#include "os/os.h"

namespace firmware {
namespace {

// The first entry whose characters 2 and 3 are the key's, or the entry at
// hand when the list holds one name; logged with `takenLine` when compared.
const char* Take(const FileList& list, uint8_t count, const char* key, const char* takenLine) {
  for (int i = 0; i < kFileListEntries && list[i][0]; ++i) {
    if (count == 1) return list[i];
    // Entries are NUL-terminated in 256 bytes: characters 2 and 3 are
    // readable in any of them, and a key cut short matches no image name.
    if (ascii_case::SameLetter(list[i][2], key[2]) && ascii_case::SameLetter(list[i][3], key[3])) {
      core::WriteLog(takenLine, list[i]);
      return list[i];
    }
  }
  return nullptr;
}

// A copy that fails leaves the tool an older file of that name, or none:
// it ends the run. A file that already has the tool's name stays as it is.
bool CopyAs(const char* taken, const char* name) {
  return ascii_case::Same(taken, name) || os::Os().files->Copy(taken, name, false);
}

}  // namespace

core::ResultCode SelectImageFiles() {
  FirmwareState& state = Firmware();
  const FirmwareIdentity& id = state.CurrentFirmwareIdentity;
  core::WriteLog("*** Old Bios Info ***");
  core::WriteLog("Bios Part Number : %s", id.BiosPartNumber);
  core::WriteLog("Bios Model Number : %s", id.BiosModelNumber);
  core::WriteLog("Bios Part Version : %s", id.BiosPartVersion);

  const char* image =
      Take(state.ImageFileList, state.ImageFileCount, id.BiosPartVersion, "Bios File : %s");
  if (!image || !CopyAs(image, "bios.wph")) return core::ResultBiosFile;
  if (core::Shared().UpdateFlags & core::SkipUpdateMicom) return core::ResultSuccess;
  const char* micom =
      Take(state.MicomFileList, state.MicomFileCount, id.BiosPartVersion, "Micom File : %s");
  if (!micom || !CopyAs(micom, "kbc.bin")) return core::ResultMicomFile;
  return core::ResultSuccess;
}

}  // namespace firmware
