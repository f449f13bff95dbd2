// Windows facts, environment, power status, standard error and process exit
// of the simulated notebook.
#pragma once

#include <set>
#include <string>

#include "os/os.h"
#include "os/sim/profile.h"
#include "os/sim/transcript.h"

namespace sim {

class SimSystem : public os::System {
 public:
  SimSystem(Profile* profile, Transcript* transcript)
      : profile_(profile), transcript_(transcript) {}
  bool GetVariable(const std::string& name, std::string* value) override;
  std::string ModulePath() override { return profile_->modulePath; }
  bool QueryVersionEx(os::VersionFacts* facts) override;
  uint32_t Version() override;
  bool QueryWow64(int32_t* isWow64) override;
  uint16_t SystemDefaultLanguage() override { return profile_->language; }
  bool QueryPowerStatus(os::PowerStatus* status) override;
  void WriteStandardError(std::string_view text) override;
  // Objects the profile names are held by other processes; an object this process takes stays
  // taken as long as the notebook runs.
  os::Claim ClaimMachineWide(const std::string& name) override;
  [[noreturn]] void ExitProcess(uint32_t code) override;

 private:
  Profile* profile_;
  Transcript* transcript_;
  std::set<std::string> taken_;
};

}  // namespace sim
