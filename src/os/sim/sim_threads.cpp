#include "os/sim/sim_threads.h"

#include "os/sim/notebook.h"

namespace sim {

bool SimThreads::StartThread(void (*procedure)(void*), void* argument) {
  if (profile_->threadStartFails) {
    transcript_->Add("thread", "start refused");
    return false;
  }
  transcript_->Add("thread", "started");
  procedure(argument);
  transcript_->Add("thread", "ended");
  return true;
}

os::EventRef SimThreads::CreateAutoResetEvent() {
  signalled_.push_back(false);
  return signalled_.size();
}

void SimThreads::SignalEvent(os::EventRef event) {
  if (event >= 1 && event <= signalled_.size()) signalled_[event - 1] = true;
}

bool SimThreads::WaitEvent(os::EventRef event, uint32_t milliseconds) {
  if (event >= 1 && event <= signalled_.size() && signalled_[event - 1]) {
    signalled_[event - 1] = false;  // auto-reset
    return true;
  }
  if (milliseconds == kInfinite) throw Deadlock{"infinite wait on an event that nobody signals"};
  clock_->Advance(uint64_t{milliseconds} * 1000);
  return false;
}

}  // namespace sim
