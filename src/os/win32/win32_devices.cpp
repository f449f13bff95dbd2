// Driver device handles: open by name, control codes, close.
#include <windows.h>

#include "os/win32/win32_parts.h"

namespace win32 {
namespace {

HANDLE AsHandle(os::DeviceRef device) {
  return reinterpret_cast<HANDLE>(device);
}

class Win32Devices : public os::Devices {
 public:
  os::DeviceRef Open(const std::string& name, uint32_t access, uint32_t share, uint32_t disposition,
                     uint32_t flagsAndAttributes, uint32_t* error) override {
    HANDLE device =
        CreateFileA(name.c_str(), access, share, nullptr, disposition, flagsAndAttributes, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
      if (error) *error = GetLastError();
      return os::kInvalidDevice;
    }
    if (error) *error = os::error::kNone;
    return reinterpret_cast<os::DeviceRef>(device);
  }

  bool Control(os::DeviceRef device, uint32_t code, const void* input, uint32_t inputSize,
               void* output, uint32_t outputSize, uint32_t* returned) override {
    DWORD count = 0;
    // DeviceIoControl does not write the input buffer; its prototype predates const.
    const BOOL ok = DeviceIoControl(AsHandle(device), code, const_cast<void*>(input), inputSize,
                                    output, outputSize, &count, nullptr);
    if (returned) *returned = count;
    return ok != FALSE;
  }

  void Close(os::DeviceRef device) override {
    if (device != os::kInvalidDevice) CloseHandle(AsHandle(device));
  }

  // A 32-bit process has all of its memory below 4 GiB, so the process heap
  // serves the records that carry a 32-bit address.
  static_assert(sizeof(void*) == 4, "request records carry 32-bit addresses");
  void* AllocateRequest(size_t size) override {
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
  }

  void FreeRequest(void* block) override {
    if (block) HeapFree(GetProcessHeap(), 0, block);
  }
};

}  // namespace

os::Devices& Devices() {
  static Win32Devices devices;
  return devices;
}

}  // namespace win32
