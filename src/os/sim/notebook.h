// The simulated notebook: a model of the machine behind every seam
// interface, built from a machine profile, recording a transcript.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "os/os.h"
#include "os/sim/clock.h"
#include "os/sim/profile.h"
#include "os/sim/sim_files.h"
#include "os/sim/transcript.h"

namespace sim {

// Thrown by the simulated ExitProcess; the runner and tests catch it.
struct ProcessExit {
  uint32_t code;
};

// Thrown when the core waits for ever on something nothing will signal.
struct Deadlock {
  std::string what;
};

class SimSystem;
class SimUi;
class SimThreads;
class SimProcesses;
class SimDevices;
class SimServices;
class SimDialogs;
class SimLibraries;
class SimDeviceManager;

class Notebook {
 public:
  // `scratch` is a host folder that holds the notebook's disks.
  Notebook(Profile profile, const std::string& scratch);
  ~Notebook();
  Notebook(const Notebook&) = delete;
  Notebook& operator=(const Notebook&) = delete;

  // Makes this notebook the platform the core runs on.
  void Install();
  os::Platform Platform();

  Profile& profile() { return profile_; }
  Transcript& transcript() { return transcript_; }
  Clock& clock() { return clock_; }
  SimFileSystem& files() { return *files_; }
  SimUi& ui() { return *ui_; }
  SimProcesses& processes() { return *processes_; }
  SimDevices& devices() { return *devices_; }
  SimServices& services() { return *services_; }
  SimDialogs& dialogs() { return *dialogs_; }
  SimLibraries& libraries() { return *libraries_; }
  SimDeviceManager& deviceManager() { return *deviceManager_; }

 private:
  Profile profile_;
  Transcript transcript_;
  Clock clock_;
  std::unique_ptr<SimFileSystem> files_;
  std::unique_ptr<SimSystem> system_;
  std::unique_ptr<SimUi> ui_;
  std::unique_ptr<SimThreads> threads_;
  std::unique_ptr<SimProcesses> processes_;
  std::unique_ptr<SimDevices> devices_;
  std::unique_ptr<SimServices> services_;
  std::unique_ptr<SimDialogs> dialogs_;
  std::unique_ptr<SimLibraries> libraries_;
  std::unique_ptr<SimDeviceManager> deviceManager_;
};

}  // namespace sim
