#include "support/sim_fixture.h"

#include <cstdlib>
#include <filesystem>

namespace testing_support {

void SimTest::Boot(const std::string& profileJson) {
  sim::Profile profile;
  std::string error;
  ASSERT_TRUE(sim::ParseProfile(profileJson, &profile, &error)) << error;
  std::string base = std::filesystem::temp_directory_path().string() + "/orv-sim-XXXXXX";
  ASSERT_NE(mkdtemp(base.data()), nullptr);
  scratch_ = base;
  app::ResetRunState();
  notebook_ = std::make_unique<sim::Notebook>(std::move(profile), scratch_);
  notebook_->Install();
}

void SimTest::TearDown() {
  notebook_.reset();
  if (!scratch_.empty()) std::filesystem::remove_all(scratch_);
}

}  // namespace testing_support
