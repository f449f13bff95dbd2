#include <string>

#include "app/driver_steps.h"
#include "os/os.h"
#include "package/extract.h"

namespace app {
namespace {
constexpr const char* kMemberName = "addmem.sys";
constexpr size_t kTempSize = 260;  // characters, the NUL included
}  // namespace

int StageLegacyDriver() {
  std::string temp;
  // A TEMP that would not fit its buffer counts as unset.
  if (!os::Os().system->GetVariable("TEMP", &temp) || temp.empty() || temp.size() >= kTempSize)
    temp = "C:\\";
  os::Os().files->ChangeDirectory(temp);  // a failure leaves the current directory

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
