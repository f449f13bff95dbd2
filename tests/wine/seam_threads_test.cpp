// Threads and auto-reset events.
#include <windows.h>

#include "seam_test.h"

namespace {

struct Handshake {
  os::EventRef go = 0;
  os::EventRef done = 0;
  DWORD threadId = 0;
  bool sawGo = false;
};

void Worker(void* argument) {
  auto* handshake = static_cast<Handshake*>(argument);
  os::Threads& threads = *os::Os().threads;
  handshake->sawGo = threads.WaitEvent(handshake->go, 10000);
  handshake->threadId = GetCurrentThreadId();
  threads.SignalEvent(handshake->done);
}

}  // namespace

TEST_CASE(threads_and_events) {
  os::Threads& threads = *os::Os().threads;
  Handshake handshake;
  handshake.go = threads.CreateAutoResetEvent();
  handshake.done = threads.CreateAutoResetEvent();
  CHECK(handshake.go != 0 && handshake.done != 0);
  CHECK(threads.StartThread(Worker, &handshake));
  // Created unsignalled: the worker cannot finish before "go".
  CHECK(!threads.WaitEvent(handshake.done, 0));
  threads.SignalEvent(handshake.go);
  CHECK(threads.WaitEvent(handshake.done, 10000));
  CHECK(handshake.sawGo);
  CHECK(handshake.threadId != 0 && handshake.threadId != GetCurrentThreadId());
  // Auto-reset: one wait used the signal up.
  CHECK(!threads.WaitEvent(handshake.done, 0));
  threads.SignalEvent(handshake.done);
  CHECK(threads.WaitEvent(handshake.done, 0));
  CHECK(!threads.WaitEvent(handshake.done, 0));
}
