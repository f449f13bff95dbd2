#include "os/sim/sim_devices.h"

#include <sys/mman.h>

#include <cstring>

namespace sim {
namespace {
// Request blocks keep their size in front so FreeRequest can unmap them.
constexpr size_t kHeader = 16;
}  // namespace

os::DeviceRef SimDevices::Open(const std::string& name, uint32_t, uint32_t, uint32_t, uint32_t,
                               uint32_t* error) {
  transcript_->Add("device", "open " + name + ": not present");
  if (error) *error = os::error::kFileNotFound;
  return os::kInvalidDevice;
}

bool SimDevices::Control(os::DeviceRef, uint32_t, const void*, uint32_t, void*, uint32_t,
                         uint32_t* returned) {
  if (returned) *returned = 0;
  return false;
}

void SimDevices::Close(os::DeviceRef) {}

void* SimDevices::AllocateRequest(size_t size) {
  // MAP_32BIT keeps the block below 4 GiB, so a 32-bit address of it in a
  // request record is the true address, as in the 32-bit Windows build.
  void* block = mmap(nullptr, size + kHeader, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  if (block == MAP_FAILED) return nullptr;
  std::memcpy(block, &size, sizeof size);
  return static_cast<char*>(block) + kHeader;
}

void SimDevices::FreeRequest(void* block) {
  if (!block) return;
  char* start = static_cast<char*>(block) - kHeader;
  size_t size = 0;
  std::memcpy(&size, start, sizeof size);
  munmap(start, size + kHeader);
}

}  // namespace sim
