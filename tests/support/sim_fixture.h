// A fresh simulated notebook per test: its disks live in a scratch folder
// that is removed afterwards, the run state starts anew.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/sequence_state.h"
#include "os/sim/host_files.h"
#include "os/sim/notebook.h"

namespace testing_support {

class SimTest : public ::testing::Test {
 protected:
  // Builds the notebook from a JSON profile ("{}" gives the default notebook).
  void Boot(const std::string& profileJson = "{}");
  // Builds the notebook from a profile of profiles/ ("win7-x64-phoenix"),
  // with `patch` (a JSON merge patch) applied to it.
  void BootProfile(const std::string& name, const std::string& patch = "{}");
  // The JSON of a profile of profiles/, for changes a merge patch cannot
  // express (a merge patch's null deletes a field instead of setting it).
  static nlohmann::json ProfileJson(const std::string& name);
  void TearDown() override;

  sim::Notebook& notebook() { return *notebook_; }
  sim::SimFileSystem& files() { return notebook_->files(); }
  sim::Transcript& transcript() { return notebook_->transcript(); }

 private:
  // The notebook goes before its disks' folder; a test may boot again.
  std::unique_ptr<sim::ScratchFolder> scratch_;
  std::unique_ptr<sim::Notebook> notebook_;
};

}  // namespace testing_support
