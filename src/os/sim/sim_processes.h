// The outside utilities of the simulated notebook. The program is found as
// CreateProcess finds it (os/sim/utilities/command_line.h) and must be a
// program file ("MZ"); it then behaves as the profile's "utilities" entry
// scripts it (os/sim/utilities/behaviour.h), as the substitute programs do
// under Wine. What it records goes to the transcript as "utility" lines.
#pragma once

#include "os/os.h"
#include "os/sim/profile.h"
#include "os/sim/sim_dialogs.h"
#include "os/sim/sim_files.h"
#include "os/sim/transcript.h"

namespace sim {

class SimProcesses : public os::Processes {
 public:
  SimProcesses(Profile* profile, Transcript* transcript, SimFileSystem* files, SimDialogs* dialogs)
      : profile_(profile), transcript_(transcript), files_(files), dialogs_(dialogs) {}
  os::ProcessOutcome RunAndWait(const std::string& commandLine,
                                const std::string& workingDirectory) override;

 private:
  // The full path of the program file the command line names; empty when
  // no candidate exists as a file.
  std::string FindProgram(const std::string& commandLine);

  Profile* profile_;
  Transcript* transcript_;
  SimFileSystem* files_;
  SimDialogs* dialogs_;
};

}  // namespace sim
