#include "support/sim_fixture.h"

#include "app/sequence_state.h"

namespace testing_support {

void SimTest::Boot(const std::string& profileJson) {
  sim::Profile profile;
  std::string error;
  ASSERT_TRUE(sim::ParseProfile(profileJson, &profile, &error)) << error;
  notebook_.reset();
  scratch_ = std::make_unique<sim::ScratchFolder>("orv-sim");
  ASSERT_FALSE(scratch_->path().empty());
  app::ResetRunState();
  notebook_ = std::make_unique<sim::Notebook>(std::move(profile), scratch_->path());
  notebook_->Install();
}

nlohmann::json SimTest::ProfileJson(const std::string& name) {
  sim::Profile base;
  std::string error;
  EXPECT_TRUE(
      sim::LoadProfile(std::string(ORV_SOURCE_DIR) + "/profiles/" + name + ".json", &base, &error))
      << error;
  return base.json;
}

void SimTest::BootProfile(const std::string& name, const std::string& patch) {
  nlohmann::json json = ProfileJson(name);
  json.merge_patch(nlohmann::json::parse(patch));
  Boot(json.dump());
}

void SimTest::TearDown() {
  notebook_.reset();
  scratch_.reset();
}

}  // namespace testing_support
