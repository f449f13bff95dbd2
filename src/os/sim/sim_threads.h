// Threads, events and time of the simulated notebook. A started thread runs
// to its end at once, inside StartThread, or (the profile's deferThreads) at
// the first wait on an event that follows, so that the starting thread can be
// ahead of it; either way every run is deterministic. An infinite wait on an
// event nothing has signalled is reported as a deadlock.
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
  void RunThread(void (*procedure)(void*), void* argument);

  std::vector<bool> signalled_;  // index = event - 1
  // Deferred threads, started and not yet run.
  std::vector<std::pair<void (*)(void*), void*>> waiting_;
};

}  // namespace sim
