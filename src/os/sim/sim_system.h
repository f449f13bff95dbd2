// Windows facts, environment, power status, standard error, process exit,
// priority class and the end of the session of the simulated notebook.
#pragma once

#include "os/os.h"
#include "os/sim/profile.h"
#include "os/sim/transcript.h"

namespace sim {

class SimSystem : public os::System {
 public:
  SimSystem(Profile* profile, Transcript* transcript)
      : profile_(profile), transcript_(transcript), priorityClass_(profile->priorityClass) {}
  bool GetVariable(const std::string& name, std::string* value) override;
  std::string ModulePath() override { return profile_->modulePath; }
  bool QueryVersionEx(os::VersionFacts* facts) override;
  uint32_t Version() override;
  bool QueryWow64(int32_t* isWow64) override;
  uint16_t SystemDefaultLanguage() override { return profile_->language; }
  bool QueryPowerStatus(os::PowerStatus* status) override;
  void WriteStandardError(std::string_view text) override;
  [[noreturn]] void ExitProcess(uint32_t code) override;
  uint32_t PriorityClass() override { return priorityClass_; }
  bool SetPriorityClass(uint32_t priorityClass) override;
  void EnableShutdownPrivilege() override;
  // Ends the run as Windows ends the session: the request is written to
  // the transcript and ProcessExit{0} is thrown. On the NT family the
  // request is refused unless the shutdown privilege was enabled.
  bool RequestExitWindows(uint32_t flags, uint32_t* error) override;

 private:
  Profile* profile_;
  Transcript* transcript_;
  uint32_t priorityClass_;
  bool shutdownPrivilege_ = false;
};

}  // namespace sim
