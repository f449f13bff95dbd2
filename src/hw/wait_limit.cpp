#include "hw/wait_limit.h"

#include "core/log.h"
#include "os/os.h"

namespace hw {

WaitLimit::WaitLimit(const WaitBound& bound)
    : bound_(bound), start_(os::Os().threads->TickMilliseconds()) {}

bool WaitLimit::Continue(bool quiet) {
  // Unsigned difference: correct across the 49-day wrap of the tick count.
  const uint32_t elapsed = os::Os().threads->TickMilliseconds() - start_;
  if (++polls_ < bound_.polls && elapsed < bound_.milliseconds) return true;
  if (!quiet) core::WriteLog("%s", bound_.name);
  return false;
}

}  // namespace hw
