#include "hw_fixture.h"

#include <sstream>

namespace hwtest {

sim::Profile LoadProfile(const std::string& name,
                         const std::function<void(nlohmann::json&)>& edit) {
  sim::Profile profile;
  std::string error;
  EXPECT_TRUE(sim::LoadProfile(std::string(ORV_SOURCE_DIR) + "/profiles/" + name, &profile, &error))
      << error;
  if (edit) {
    edit(profile.json);
    EXPECT_TRUE(sim::ParseProfile(profile.json.dump(), &profile, &error)) << error;
  }
  return profile;
}

std::vector<std::pair<uint16_t, uint8_t>> PortWrites(const machine::Machine& m,
                                                     const std::vector<uint16_t>& ports) {
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
  SimTest::Boot(LoadProfile(profileName, edit).json.dump());
  const auto& temp = notebook().profile().temp;
  files().ChangeDirectory(temp ? *temp : "C:\\");
}

std::string HwTest::Log() {
  std::string text;
  files().Get("DebugLog.txt", &text);
  return text;
}

int HwTest::LogCount(const std::string& line) {
  std::istringstream in(Log());
  int count = 0;
  for (std::string l; std::getline(in, l);) count += l == line || l == line + "\r";
  return count;
}

uint32_t HwTest::Requests() {
  const machine::Machine& m = hardware();
  return m.requests[0] + m.requests[1] + m.requests[2] + m.requests[3];
}

}  // namespace hwtest
