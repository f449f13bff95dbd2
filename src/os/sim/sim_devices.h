// Device handles of the simulated notebook: the four memory-access drivers
// named by the profile's "drivers" section, each decoding exactly its own
// request records against the hardware model, and the physical drives'
// SMART interface. Hardware effects that matter
// (EC RAM, CMOS, SMI enable, keyboard-controller command byte, auto-on,
// firmware and controller calls, protocol faults) reach the transcript as
// "hw" lines when a device handle is closed.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "os/os.h"
#include "os/sim/clock.h"
#include "os/sim/hardware_profile.h"
#include "os/sim/machine/machine.h"
#include "os/sim/profile.h"
#include "os/sim/transcript.h"

namespace sim {

class SimServices;

class SimDevices : public os::Devices {
 public:
  SimDevices(const Profile& profile, Transcript* transcript, Clock* clock, SimServices* services);
  ~SimDevices() override;
  os::DeviceRef Open(const std::string& name, uint32_t access, uint32_t share, uint32_t disposition,
                     uint32_t flagsAndAttributes, uint32_t* error) override;
  bool Control(os::DeviceRef device, uint32_t code, const void* input, uint32_t inputSize,
               void* output, uint32_t outputSize, uint32_t* returned) override;
  void Close(os::DeviceRef device) override;
  void* AllocateRequest(size_t size) override;
  void FreeRequest(void* block) override;

  machine::Machine& Machine() { return *machine_; }
  size_t OpenHandles() const { return handles_.size() + drives_.size(); }
  size_t LiveRequestBlocks() const { return blocks_.size(); }
  // Writes pending hardware effects to the transcript now.
  void FlushEffects();

 private:
  struct Snapshot {
    std::vector<uint8_t> ecRam;
    uint8_t cmos[2][128];
    uint32_t smiEnable;
    uint8_t commandByte;
    bool kbcHeld, configOpen, autoOnKbc, autoOnMailbox;
    uint32_t smiCalls, smiAnswered, mailboxCommands, violations;
  };
  Snapshot Take() const;
  bool Answer(os::DeviceRef device, uint32_t code, uint8_t* system, uint32_t inputSize,
              uint32_t outputSize, void* output, uint32_t* information);
  os::DeviceRef OpenDrive(const std::string& name, uint32_t number, uint32_t access, uint32_t share,
                          uint32_t disposition, uint32_t flags, uint32_t* error);
  bool CallerRange(uint32_t address, uint32_t size, uint8_t** at);
  static bool CallerRead(void* self, uint32_t address, uint8_t* to, uint32_t size);
  static bool CallerWrite(void* self, uint32_t address, const uint8_t* from, uint32_t size);
  void Note(const std::string& kind, const std::string& text);

  const Profile& profile_;
  Transcript* transcript_;
  Clock* clock_;
  SimServices* services_;
  DriverSetup setup_;
  std::unique_ptr<machine::Machine> machine_;
  std::map<os::DeviceRef, machine::Driver> handles_;
  std::map<os::DeviceRef, uint32_t> drives_;  // physical drive handles: drive number
  os::DeviceRef nextHandle_ = 0x40;
  std::map<uintptr_t, size_t> blocks_;  // live request blocks: start -> size
  Snapshot last_;
};

}  // namespace sim
