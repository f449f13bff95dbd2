// Bounds on every wait for hardware. The keyboard and mouse are switched
// off while the updater talks to the controllers, so a device that never
// answers must not hold the machine: each wait ends after a time limit or a
// number of polls, whichever comes first, and says so in the log.
#pragma once

#include <cstdint>

namespace hw {

struct WaitBound {
  const char* name;  // the log line written when the bound is reached
  uint32_t milliseconds;
  // A backstop should the clock not advance: one poll per microsecond,
  // faster than any driver request, so on a working clock the time limit
  // always ends the wait first.
  uint32_t polls;
};

// An 8042 takes a byte within microseconds and an EC relay answers within a
// few milliseconds; half a second is the limit PC operating systems give the
// keyboard controller.
inline constexpr WaitBound kKbcInputWait{"Timeout: keyboard controller input buffer", 500, 500000};
inline constexpr WaitBound kKbcOutputWait{"Timeout: keyboard controller output buffer", 500,
                                          500000};
// The controller's firmware runs mailbox commands between its other duties;
// one second covers a busy controller many times over.
inline constexpr WaitBound kMailboxWait{"Timeout: EC mailbox register 0x82", 1000, 1000000};
// A software SMI completes before the triggering port write returns; the
// poll only guards against a handler that never sets its status.
inline constexpr WaitBound kSwSmiWait{"Timeout: software SMI reply", 1000, 1000000};
// A driver that refuses a well-formed request is unlikely to change its
// mind; a short bound keeps a refusing driver from multiplying every wait.
inline constexpr WaitBound kRefusedRequestWait{"Timeout: driver refused port request", 100, 100000};
// A write that puts a device back as it was (a release, a close) is worth ten
// times the patience: a controller left held keeps the keyboard off.
inline constexpr WaitBound kRestoringRequestWait{
    "Timeout: driver refused a port request that restores a device", 1000, 1000000};

class WaitLimit {
 public:
  explicit WaitLimit(const WaitBound& bound);
  // Call before each further poll: false once the bound is reached, after
  // writing the bound's log line (unless `quiet`).
  bool Continue(bool quiet = false);

 private:
  const WaitBound& bound_;
  uint32_t start_;
  uint32_t polls_ = 0;
};

}  // namespace hw
