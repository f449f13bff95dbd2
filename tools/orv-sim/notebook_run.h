// One whole update run on a simulated notebook: the profile's machine with
// the package at its module path, the updater's run from its entry to its
// end, and the notebook kept to look at afterwards. `run` prints it whole,
// `matrix` as one line per profile.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "os/sim/host_files.h"
#include "os/sim/notebook.h"

namespace orvsim {

struct RunOutcome {
  enum class End {
    kReturned,      // the entry returned `code`
    kProcessEnded,  // ExitProcess, or the session ended by the power-off request
    kDeadlock,      // the run waits for ever on `what`
    kProfileFault,  // a profile section read during the run is not valid: `what`
  };
  End end = End::kReturned;
  uint32_t code = 0;
  std::string what;
};

// The profile file, or the built-in default notebook for an empty path.
bool LoadRunProfile(const std::string& path, sim::Profile* profile, std::string* error);

class NotebookRun {
 public:
  // The notebook's disks lie in `scratch` (kept) or, when it is empty, in a
  // temporary folder removed with this object. `package` is the package
  // file's bytes, placed at the profile's module path (none when empty).
  // False with `*error` set when the disks or the machine cannot be made.
  bool Boot(sim::Profile profile, const std::string& package, const std::string& scratch,
            std::string* error);
  // Runs the update once with this command line.
  RunOutcome Run(std::string commandLine);
  sim::Notebook& notebook() { return *notebook_; }

 private:
  std::string givenScratch_;
  std::unique_ptr<sim::ScratchFolder> scratch_;
  std::unique_ptr<sim::Notebook> notebook_;
};

}  // namespace orvsim
