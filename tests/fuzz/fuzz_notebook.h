// One simulated notebook for the whole fuzzing run (64-bit Windows 7 with
// its memory driver), its disks in a scratch folder removed at exit; each
// input starts from a fresh run state in the notebook's %TEMP%.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/sequence_state.h"
#include "os/sim/notebook.h"
#include "os/sim/sim_devices.h"

namespace fuzzing {

class FuzzNotebook {
 public:
  explicit FuzzNotebook(const char* name) {
    namespace fs = std::filesystem;
    scratch_ = fs::temp_directory_path() / (std::string(name) + "-" + std::to_string(getpid()));
    fs::remove_all(scratch_);
    sim::Profile profile;
    std::string error;
    sim::ParseProfile(R"({"windows": {"wow64": true}, "drivers": {"torq": true}})", &profile,
                      &error);
    notebook_ = std::make_unique<sim::Notebook>(profile, scratch_.string());
  }
  ~FuzzNotebook() {
    notebook_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
  }
  // The notebook, installed, with the run state reset and %TEMP% current.
  sim::Notebook& Fresh() {
    notebook_->Install();
    notebook_->transcript().Clear();
    app::ResetRunState();
    notebook_->files().ChangeDirectory(*notebook_->profile().temp);
    return *notebook_;
  }
  machine::Machine& hardware() { return notebook_->devices().Machine(); }

 private:
  std::filesystem::path scratch_;
  std::unique_ptr<sim::Notebook> notebook_;
};

}  // namespace fuzzing
