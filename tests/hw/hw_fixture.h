// A simulated notebook built from one of the documented machine profiles,
// with %TEMP% (or C:\ when TEMP is unset) as the current directory.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "os/sim/sim_devices.h"
#include "support/sim_fixture.h"

namespace hwtest {

// The profile file profiles/<name>, changed by `edit` before use.
sim::Profile LoadProfile(const std::string& name,
                         const std::function<void(nlohmann::json&)>& edit = {});

// (port, value) of the port writes the machine saw, in order, for ports in
// `ports` (as far as the request log reaches back).
std::vector<std::pair<uint16_t, uint8_t>> PortWrites(const machine::Machine& m,
                                                     const std::vector<uint16_t>& ports);

class HwTest : public testing_support::SimTest {
 protected:
  // Builds and installs the notebook (a test may boot more than one).
  void Boot(const std::string& profileName, const std::function<void(nlohmann::json&)>& edit = {});
  machine::Machine& hardware() { return notebook().devices().Machine(); }
  std::string Log();  // DebugLog.txt of the current directory
  // Lines of the log equal to `line`.
  int LogCount(const std::string& line);
  uint32_t Requests();  // every request honoured so far
};

}  // namespace hwtest
