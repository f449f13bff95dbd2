#include "firmware/file_lists.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/log.h"
#include "firmware/firmware_state.h"
#include "os/os.h"

namespace firmware {
namespace {

// Appends the names matching `pattern` to `list`; a name that does not fit
// an entry, or finds no free one, is logged with `ignoredLine` instead.
// `foundLine` (when given) logs each name taken.
void Collect(const char* pattern, FileList& list, uint8_t& count, const char* foundLine,
             const char* ignoredLine) {
  std::vector<std::string> names;
  if (!os::Os().files->Enumerate(pattern, &names)) return;
  for (const std::string& name : names) {
    if (name.size() >= kFileNameSize || count >= kFileListEntries) {
      core::WriteLog(ignoredLine, name);
      continue;
    }
    std::memcpy(list[count], name.c_str(), name.size() + 1);
    ++count;
    if (foundLine) core::WriteLog(foundLine, name);
  }
}

}  // namespace

void ClearImageFileList() {
  FirmwareState& state = Firmware();
  std::memset(state.ImageFileList, 0, sizeof state.ImageFileList);
  state.ImageFileCount = 0;
}

core::ResultCode FindImageFiles() {
  FirmwareState& state = Firmware();
  Collect("*.wph", state.ImageFileList, state.ImageFileCount, nullptr, "Bios File Ignored : %s");
  return state.ImageFileCount ? core::ResultSuccess : core::ResultBiosFile;
}

core::ResultCode FindMicomFiles() {
  FirmwareState& state = Firmware();
  Collect("*.bin", state.MicomFileList, state.MicomFileCount, "Micom File Found : %s",
          "Micom File Ignored : %s");
  if (state.MicomFileCount == 0) return core::ResultMicomFile;
  core::WriteLog("Total Micom File Number : %d", state.MicomFileCount);
  return core::ResultSuccess;
}

}  // namespace firmware
