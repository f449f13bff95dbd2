#include "app/driver_steps.h"
#include "hw/driver_loading.h"
#include "os/os.h"
#include "package/extract.h"

namespace app {
namespace {
constexpr const char* kMemberName = "addmem.sys";
}  // namespace

int StageLegacyDriver() {
  uint32_t error = os::error::kNone;
  os::FileHandle held = os::Os().files->Open(
      kMemberName, os::Access::kWrite, os::Disposition::kOpenExisting, os::Share::kNone, &error);
  if (!held && error == os::error::kSharingViolation) {
    // After a run that did not power off, the ADDMEM service still runs with
    // this very file loaded and locked, and is used as it is. Anything else
    // that holds the file may have planted it (TEMP can be shared): no
    // service may be made from it.
    const bool running = hw::OpenAddMemDevice();
    hw::CloseDriver();
    return running ? 1 : 0;
  }
  held.reset();
  return package::ExtractSingleMember(kMemberName) ? 1 : 0;
}

}  // namespace app
