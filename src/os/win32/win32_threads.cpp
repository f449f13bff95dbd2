// Threads, events and time: the executable's compiler has no std::thread.
#include <windows.h>

#include <new>

#include "os/win32/win32_parts.h"

namespace win32 {
namespace {

struct ThreadStart {
  void (*procedure)(void*);
  void* argument;
};

DWORD WINAPI RunThread(LPVOID parameter) {
  const ThreadStart start = *static_cast<ThreadStart*>(parameter);
  delete static_cast<ThreadStart*>(parameter);
  start.procedure(start.argument);
  return 0;
}

class Win32Threads : public os::Threads {
 public:
  bool StartThread(void (*procedure)(void*), void* argument) override {
    auto* start = new (std::nothrow) ThreadStart{procedure, argument};
    if (!start) return false;
    DWORD id = 0;  // Windows 9x refuses a null thread id pointer
    HANDLE thread = CreateThread(nullptr, 0, RunThread, start, 0, &id);
    if (!thread) {
      delete start;
      return false;
    }
    // The thread runs on; nobody waits for it by handle.
    CloseHandle(thread);
    return true;
  }

  os::EventRef CreateAutoResetEvent() override {
    return reinterpret_cast<os::EventRef>(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  }

  void SignalEvent(os::EventRef event) override { SetEvent(reinterpret_cast<HANDLE>(event)); }

  bool WaitEvent(os::EventRef event, uint32_t milliseconds) override {
    return WaitForSingleObject(reinterpret_cast<HANDLE>(event), milliseconds) == WAIT_OBJECT_0;
  }

  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

  uint32_t TickMilliseconds() override { return GetTickCount(); }
};

}  // namespace

os::Threads& Threads() {
  static Win32Threads threads;
  return threads;
}

}  // namespace win32
