// Environment, version and power facts, standard error.
#include <windows.h>

#include <cctype>

#include "seam_test.h"

namespace {

os::System& System() {
  return *os::Os().system;
}

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

TEST_CASE(system_environment) {
  std::string value;
  CHECK(System().GetVariable("TEMP", &value));
  CHECK(value.size() > 3 && value[1] == ':');
  CHECK(System().GetVariable("temp", &value));

  CHECK(SetEnvironmentVariableA("ORV_SEAM_UNSET", nullptr));
  value = "left over";
  CHECK(!System().GetVariable("ORV_SEAM_UNSET", &value));

  // Longer than the first buffer tried.
  const std::string longValue(3000, 'v');
  CHECK(SetEnvironmentVariableA("ORV_SEAM_LONG", longValue.c_str()));
  CHECK(System().GetVariable("ORV_SEAM_LONG", &value));
  CHECK_EQ(value.size(), longValue.size());
  CHECK(value == longValue);
  // Exactly at the first buffer's edge (259 characters and the terminator).
  const std::string edgeValue(MAX_PATH - 1, 'e');
  CHECK(SetEnvironmentVariableA("ORV_SEAM_EDGE", edgeValue.c_str()));
  CHECK(System().GetVariable("ORV_SEAM_EDGE", &value));
  CHECK(value == edgeValue);
  CHECK(SetEnvironmentVariableA("ORV_SEAM_EDGE", (edgeValue + "f").c_str()));
  CHECK(System().GetVariable("ORV_SEAM_EDGE", &value));
  CHECK(value == edgeValue + "f");

  CHECK(!System().ModulePath().empty());
  const std::string module = Lowered(System().ModulePath());
  CHECK(module.size() > 14 && module[1] == ':' &&
        module.compare(module.size() - 14, 14, "\\seam_test.exe") == 0);
}

TEST_CASE(system_version_facts) {
  os::VersionFacts facts;
  CHECK(System().QueryVersionEx(&facts));
  const uint32_t version = System().Version();
  // GetVersion and GetVersionExA tell the same story.
  CHECK_EQ(version & 0xFF, facts.major);
  CHECK_EQ((version >> 8) & 0xFF, facts.minor);
  CHECK_EQ((version & 0x80000000u) == 0, facts.platformId == 2);
  const seam_test::Settings& given = seam_test::Given();
  if (given.platformId != 0) {
    CHECK_EQ(facts.major, given.major);
    CHECK_EQ(facts.minor, given.minor);
    CHECK_EQ(facts.platformId, given.platformId);
  }
  int32_t wow64 = -7;
  const bool known = System().QueryWow64(&wow64);
  if (given.wow64 >= 0) {
    CHECK(known);
    CHECK_EQ(wow64 != 0, given.wow64 != 0);
  }
}

TEST_CASE(system_power_language_and_standard_error) {
  os::PowerStatus power;
  CHECK(System().QueryPowerStatus(&power));
  CHECK(power.acLineStatus <= 1 || power.acLineStatus == 255);
  CHECK(power.batteryPercent <= 100 || power.batteryPercent == 255);
  CHECK(System().SystemDefaultLanguage() != 0);
  // The harness finds this line in the standard error file.
  System().WriteStandardError("seam standard error line\r\n");
}
