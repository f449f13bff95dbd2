#include "app/checks.h"

#include "app/log.h"
#include "app/messages.h"
#include "app/run_state.h"
#include "app/update_flags.h"
#include "os/os.h"

namespace app {

ResultCode CheckSystemPower() {
  WriteLog("Check System Power");
  if (Run().UpdateFlags & SkipCheckPower) return ResultSuccess;
  // A failed query counts as "no value" for both conditions, so it refuses.
  os::PowerStatus status;
  if (!os::Os().system->QueryPowerStatus(&status)) status = os::PowerStatus{};
  const bool acFails = status.acLineStatus != 1;
  const bool batteryFails =
      status.batteryPercent < kMinimumBatteryPercent || status.batteryPercent > 100;
  if (acFails && batteryFails) return ResultNoPowerSource;
  if (acFails) return ResultNoAcAdapter;
  if (batteryFails) return ResultBatteryLow;
  return ResultSuccess;
}

int CheckDiskSpace() {
  uint64_t freeBytes = 0;
  // A failed query fails the check: an unknown amount of space is not enough.
  const bool known =
      os::Os().files->FreeBytesAvailable(os::Os().files->CurrentDirectory(), &freeBytes);
  const uint64_t freeMiB = known ? freeBytes >> 20 : 0;
  if (known && freeMiB >= kRequiredFreeMiB) return 1;
  const long shownMiB = freeMiB > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<long>(freeMiB);
  ShowMessage(box::kError, LoadText(41), LoadText(22), shownMiB,
              static_cast<int>(kRequiredFreeMiB));
  return 0;
}

}  // namespace app
