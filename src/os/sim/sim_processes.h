// The outside utilities of the simulated notebook: substitutes that record
// their command line and end with the exit code the profile scripts.
#pragma once

#include "os/os.h"
#include "os/sim/profile.h"
#include "os/sim/sim_files.h"
#include "os/sim/transcript.h"

namespace sim {

class SimProcesses : public os::Processes {
 public:
  SimProcesses(Profile* profile, Transcript* transcript, SimFileSystem* files)
      : profile_(profile), transcript_(transcript), files_(files) {}
  bool RunAndWait(const std::string& commandLine, const std::string& workingDirectory,
                  uint32_t* exitCode) override;

 private:
  Profile* profile_;
  Transcript* transcript_;
  SimFileSystem* files_;
};

}  // namespace sim
