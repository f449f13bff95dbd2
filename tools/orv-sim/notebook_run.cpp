#include "notebook_run.h"

#include <exception>
#include <filesystem>

#include "app/sequence_state.h"
#include "app/update.h"

namespace orvsim {

bool LoadRunProfile(const std::string& path, sim::Profile* profile, std::string* error) {
  *profile = sim::Profile{};
  return path.empty() || sim::LoadProfile(path, profile, error);
}

bool NotebookRun::Boot(sim::Profile profile, const std::string& package, const std::string& scratch,
                       std::string* error) {
  std::string disks = scratch;
  if (disks.empty()) {
    scratch_ = std::make_unique<sim::ScratchFolder>("orv-sim");
    disks = scratch_->path();
  } else {
    std::error_code failed;
    if (!std::filesystem::create_directories(disks, failed) && failed) disks.clear();
  }
  if (disks.empty()) {
    *error = "cannot create a scratch folder";
    return false;
  }
  // Hardware sections are read when the machine is built.
  try {
    notebook_ = std::make_unique<sim::Notebook>(std::move(profile), disks);
  } catch (const std::exception& invalid) {
    *error = invalid.what();
    return false;
  }
  if (!package.empty()) notebook_->files().Put(notebook_->profile().modulePath, package);
  return true;
}

RunOutcome NotebookRun::Run(std::string commandLine) {
  notebook_->Install();
  app::ResetRunState();
  RunOutcome outcome;
  try {
    outcome.code = app::RunUpdate(commandLine.data());
  } catch (const sim::ProcessExit& exit) {
    outcome.end = RunOutcome::End::kProcessEnded;
    outcome.code = exit.code;
  } catch (const sim::Deadlock& deadlock) {
    outcome.end = RunOutcome::End::kDeadlock;
    outcome.what = deadlock.what;
  } catch (const std::exception& invalid) {
    // The utilities' entries are read when a utility starts.
    outcome.end = RunOutcome::End::kProfileFault;
    outcome.what = invalid.what();
  }
  return outcome;
}

}  // namespace orvsim
