#include "app/driver_steps.h"
#include "core/temp_directory.h"
#include "os/os.h"
#include "package/extract.h"

namespace app {
namespace {
constexpr const char* kMemberName = "addmem.sys";
}  // namespace

int StageLegacyDriver() {
  // A failure leaves the current directory as it is.
  os::Os().files->ChangeDirectory(core::TempDirectoryOrDriveRoot());

  // After a run that did not power off, the ADDMEM service still runs with
  // this very file loaded and locked: extracting over it would fail and end
  // the process, so the running driver is used as it is.
  uint32_t error = os::error::kNone;
  os::FileHandle held = os::Os().files->Open(
      kMemberName, os::Access::kWrite, os::Disposition::kOpenExisting, os::Share::kNone, &error);
  if (!held && error == os::error::kSharingViolation) return 1;
  held.reset();
  return package::ExtractSingleMember(kMemberName) ? 1 : 0;
}

}  // namespace app
