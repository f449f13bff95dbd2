// The "hardware" and "drivers" sections of a machine profile: what the
// simulated notebook's hardware holds and which memory-access drivers it
// has. docs/profile-hardware.md documents the fields.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "os/sim/machine/machine.h"

namespace sim {

struct DriverPresence {
  bool present = false;
  uint32_t openFailures = 0;  // opens that fail (error 2) before one succeeds
  // Opens that succeed before every later one fails (a driver that goes
  // away during the run); 0: no limit.
  uint32_t opensBeforeLoss = 0;
  uint32_t opens = 0;  // the simulation's count of opens that succeeded
};

struct DriverSetup {
  DriverPresence torq, kmdfMemIo, memIoVxd;
  uint32_t addMemOpenFailures = 0;
  // An ADDMEM registration left by an earlier run.
  std::string addMemRegisteredPath;
  bool addMemRunning = false;
  uint32_t requestMicros = 60;  // cost of one request on the simulated clock
};

// Both throw std::runtime_error naming the field when a value is malformed.
DriverSetup ReadDriverSetup(const nlohmann::json& profile);
// Resets the machine and fills it from the profile's "hardware" section.
void BuildMachine(const nlohmann::json& profile, machine::Machine* m);

}  // namespace sim
