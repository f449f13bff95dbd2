// Language libraries of the simulated notebook. A library file loads when
// it starts with "MZ"; its texts are the English library's (the simulation
// does not read resources out of a file).
#pragma once

#include <set>
#include <string>

#include "os/os.h"
#include "os/sim/sim_files.h"
#include "os/sim/transcript.h"

namespace sim {

class SimLibraries : public os::Libraries {
 public:
  SimLibraries(Transcript* transcript, SimFileSystem* files)
      : transcript_(transcript), files_(files) {}
  os::ModuleRef LoadResourceLibrary(const std::string& fullPath) override;
  void RestrictLibrarySearch() override;
  bool IsLibrary(os::ModuleRef module) const { return loaded_.count(module) != 0; }

 private:
  Transcript* transcript_;
  SimFileSystem* files_;
  std::set<os::ModuleRef> loaded_;
  os::ModuleRef next_ = 0x10000000;
};

}  // namespace sim
