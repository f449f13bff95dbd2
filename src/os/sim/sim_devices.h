// Device handles of the simulated notebook. The kernel drivers and the
// hardware behind them are added by the hardware simulation; until a driver
// is present every device name fails to open, as on a machine without it.
#pragma once

#include "os/os.h"
#include "os/sim/transcript.h"

namespace sim {

class SimDevices : public os::Devices {
 public:
  explicit SimDevices(Transcript* transcript) : transcript_(transcript) {}
  os::DeviceRef Open(const std::string& name, uint32_t access, uint32_t share, uint32_t disposition,
                     uint32_t flagsAndAttributes, uint32_t* error) override;
  bool Control(os::DeviceRef device, uint32_t code, const void* input, uint32_t inputSize,
               void* output, uint32_t outputSize, uint32_t* returned) override;
  void Close(os::DeviceRef device) override;
  void* AllocateRequest(size_t size) override;
  void FreeRequest(void* block) override;

 private:
  Transcript* transcript_;
};

}  // namespace sim
