// Threads, events and time of the simulated notebook. A started thread runs
// to its end at once, inside StartThread, so every run is deterministic; an
// infinite wait on an event nothing has signalled is reported as a deadlock.
#pragma once

#include <vector>

#include "os/os.h"
#include "os/sim/clock.h"
#include "os/sim/profile.h"
#include "os/sim/transcript.h"

namespace sim {

class SimThreads : public os::Threads {
 public:
  SimThreads(Profile* profile, Transcript* transcript, Clock* clock)
      : profile_(profile), transcript_(transcript), clock_(clock) {}
  bool StartThread(void (*procedure)(void*), void* argument) override;
  os::EventRef CreateAutoResetEvent() override;
  void SignalEvent(os::EventRef event) override;
  bool WaitEvent(os::EventRef event, uint32_t milliseconds) override;
  void Sleep(uint32_t milliseconds) override { clock_->Advance(uint64_t{milliseconds} * 1000); }
  uint32_t TickMilliseconds() override { return clock_->Millis(); }

 private:
  Profile* profile_;
  Transcript* transcript_;
  Clock* clock_;
  std::vector<bool> signalled_;  // index = event - 1
};

}  // namespace sim
