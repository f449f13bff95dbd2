// The profile's "utilities" section (docs/profile.md): per outside utility,
// the script both test routes run it by (os/sim/utilities/script.h) and
// what only the simulated process start models.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace sim {

struct UtilitySetup {
  std::vector<uint8_t> script;      // the encoded script record
  bool startFails = false;          // the process cannot be created (error 193)
  bool exitCodeUnreadable = false;  // it runs, but its exit code cannot be read
};

// The setup for program `name` (any letter case); the defaults when the
// profile has no entry for it. Throws std::runtime_error naming the field
// when an entry is malformed.
UtilitySetup ReadUtilitySetup(const nlohmann::json& profile, const std::string& name);
// Every entry, under the name the profile gives it.
std::vector<std::pair<std::string, UtilitySetup>> ReadUtilitySetups(const nlohmann::json& profile);

}  // namespace sim
