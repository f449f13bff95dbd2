#include "hw_fixture.h"

#include <sstream>

#include "app/sequence_state.h"
#include "core/shared_state.h"
#include "hw/hardware_state.h"

namespace hwtest {

sim::Profile LoadProfile(const std::string& name,
                         const std::function<void(nlohmann::json&)>& edit) {
  sim::Profile profile;
  std::string error;
  EXPECT_TRUE(sim::LoadProfile(std::string(ORV_SOURCE_DIR) + "/profiles/" + name, &profile, &error))
      << error;
  nlohmann::json json = profile.json;
  if (edit) edit(json);
  EXPECT_TRUE(sim::ParseProfile(json.dump(), &profile, &error)) << error;
  return profile;
}

std::vector<std::pair<uint16_t, uint8_t>> PortWrites(const machine::Machine& m,
                                                     std::initializer_list<uint16_t> ports) {
  std::vector<std::pair<uint16_t, uint8_t>> writes;
  const uint32_t first =
      m.logged > machine::Machine::kLogSize ? m.logged - machine::Machine::kLogSize : 0;
  for (uint32_t i = first; i < m.logged; ++i) {
    const machine::RequestRecord& r = m.log[i % machine::Machine::kLogSize];
    if (r.kind != machine::RequestRecord::kPortWrite) continue;
    for (uint16_t p : ports)
      if (r.target == p) writes.emplace_back(p, static_cast<uint8_t>(r.value));
  }
  return writes;
}

void HwTest::Boot(const std::string& profileName,
                  const std::function<void(nlohmann::json&)>& edit) {
  Shutdown();  // a test may boot more than one notebook
  scratch_ = std::make_unique<sim::ScratchFolder>("orv-hw");
  ASSERT_FALSE(scratch_->path().empty());
  notebook_ = std::make_unique<sim::Notebook>(LoadProfile(profileName, edit), scratch_->path());
  notebook_->Install();
  app::ResetRunState();
  const auto& temp = notebook_->profile().temp;
  notebook_->files().ChangeDirectory(temp ? *temp : "C:\\");
}

void HwTest::TearDown() {
  Shutdown();
}

void HwTest::Shutdown() {
  notebook_.reset();
  scratch_.reset();
}

std::string HwTest::Log() {
  std::string text;
  notebook_->files().Get("DebugLog.txt", &text);
  return text;
}

int HwTest::LogCount(const std::string& line) {
  std::istringstream in(Log());
  int count = 0;
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    count += l == line;
  }
  return count;
}

uint32_t HwTest::Requests() const {
  const machine::Machine& m = notebook_->devices().Machine();
  return m.requests[0] + m.requests[1] + m.requests[2] + m.requests[3];
}

}  // namespace hwtest
