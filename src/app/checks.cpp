#include "app/checks.h"

#include "app/sequence_state.h"
#include "core/log.h"
#include "core/messages.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "os/os.h"

namespace app {

core::ResultCode CheckSystemPower() {
  core::WriteLog("Check System Power");
  if (core::Shared().UpdateFlags & core::SkipCheckPower) return core::ResultSuccess;
  // A failed query counts as "no value" for both conditions, so it refuses.
  os::PowerStatus status;
  if (!os::Os().system->QueryPowerStatus(&status)) status = os::PowerStatus{};
  const bool acFails = status.acLineStatus != 1;
  const bool batteryFails =
      status.batteryPercent < kMinimumBatteryPercent || status.batteryPercent > 100;
  if (acFails && batteryFails) return core::ResultNoPowerSource;
  if (acFails) return core::ResultNoAcAdapter;
  if (batteryFails) return core::ResultBatteryLow;
  return core::ResultSuccess;
}

int CheckDiskSpace() {
  uint64_t freeBytes = 0;
  // A failed query fails the check: an unknown amount of space is not enough.
  // The work directory's path ends in a backslash, which the system
  // requires of a network path.
  const bool known = os::Os().files->FreeBytesAvailable(core::Shared().WorkDirectory, &freeBytes);
  const uint64_t freeMiB = known ? freeBytes >> 20 : 0;
  if (known && freeMiB >= kRequiredFreeMiB) return 1;
  const long shownMiB = freeMiB > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<long>(freeMiB);
  core::ShowText(core::box::kError, core::Texts::kDiskSpaceTitle, core::Texts::kDiskSpace, shownMiB,
                 static_cast<int>(kRequiredFreeMiB));
  return 0;
}

}  // namespace app
