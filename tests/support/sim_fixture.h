// A fresh simulated notebook per test: its disks live in a scratch folder
// that is removed afterwards, the run state starts anew.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/run_state.h"
#include "os/sim/notebook.h"

namespace testing_support {

class SimTest : public ::testing::Test {
 protected:
  // Builds the notebook from a JSON profile ("{}" gives the default notebook).
  void Boot(const std::string& profileJson = "{}");
  void TearDown() override;

  sim::Notebook& notebook() { return *notebook_; }
  sim::SimFileSystem& files() { return notebook_->files(); }
  sim::Transcript& transcript() { return notebook_->transcript(); }
  std::string scratch_;

 private:
  std::unique_ptr<sim::Notebook> notebook_;
};

}  // namespace testing_support
