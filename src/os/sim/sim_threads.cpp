#include "os/sim/sim_threads.h"

#include "os/sim/notebook.h"

namespace sim {

bool SimThreads::StartThread(void (*procedure)(void*), void* argument) {
  if (profile_->threadStartFails) {
    transcript_->Add("thread", "start refused");
    return false;
  }
  if (profile_->deferThreads) {
    transcript_->Add("thread", "started, runs at the next wait");
    waiting_.emplace_back(procedure, argument);
  } else {
    transcript_->Add("thread", "started");
    RunThread(procedure, argument);
  }
  return true;
}

void SimThreads::RunThread(void (*procedure)(void*), void* argument) {
  procedure(argument);
  transcript_->Add("thread", "ended");
}

os::EventRef SimThreads::CreateAutoResetEvent() {
  signalled_.push_back(false);
  return signalled_.size();
}

void SimThreads::SignalEvent(os::EventRef event) {
  if (event >= 1 && event <= signalled_.size()) signalled_[event - 1] = true;
}

bool SimThreads::WaitEvent(os::EventRef event, uint32_t milliseconds) {
  // The starter blocks: the threads it started get their turn.
  while (!waiting_.empty()) {
    const auto [procedure, argument] = waiting_.front();
    waiting_.erase(waiting_.begin());
    transcript_->Add("thread", "runs");
    RunThread(procedure, argument);
  }
  if (event >= 1 && event <= signalled_.size() && signalled_[event - 1]) {
    signalled_[event - 1] = false;  // auto-reset
    return true;
  }
  if (milliseconds == kInfinite) throw Deadlock{"infinite wait on an event that nobody signals"};
  clock_->Advance(uint64_t{milliseconds} * 1000);
  return false;
}

}  // namespace sim
