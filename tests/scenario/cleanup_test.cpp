// The reporter's clean-up at the end of a run whose code calls for it: the
// staged tools, the driver copy, the language modules and the listed files
// go; the rest of the package stays in the work directory.
#include <algorithm>

#include "app/update.h"
#include "core/results.h"
#include "core/update_flags.h"
#include "scenario/scenario.h"
#include "support/case_name.h"

namespace scenario {
namespace {

using testing_support::PrintTo;

struct CleanupCase {
  const char* name;
  const char* profile;
  const char* options;
  uint32_t exitCode;
  std::vector<std::string> left;  // the work directory afterwards, as listed
};

class ReporterCleanup : public ScenarioTest, public ::testing::WithParamInterface<CleanupCase> {};

TEST_P(ReporterCleanup, LeavesOnlyWhatNoSetNames) {
  BootProfile(GetParam().profile);
  InstallPackage(core::FlashLastArea, ReleaseMembers());
  EXPECT_EQ(RunUpdate(GetParam().options), GetParam().exitCode);
  std::vector<std::string> names;
  files().Enumerate(std::string(kWork) + "*.*", &names);
  names.erase(std::remove_if(names.begin(), names.end(),
                             [](const std::string& n) { return n == "." || n == ".."; }),
              names.end());
  EXPECT_EQ(names, GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(Runs, ReporterCleanup,
                         ::testing::Values(
                             // The width sets are not staged before the options are parsed.
                             CleanupCase{"an unknown option",
                                         "win7-x64-phoenix",
                                         "/BOGUS",
                                         core::ResultInvalidOption,
                                         {"PhlashNT_32.sys", "PhlashNT_64.sys", "R0123.WPH",
                                          "SWinFlash_32.exe", "SWinFlash_64.exe"}},
                             CleanupCase{"the end of the Phoenix path today",
                                         "win7-x64-phoenix",
                                         "/BBL",
                                         app::kUpdateNotFinished,
                                         {"PhlashNT_32.sys", "PhlashNT_64.sys", "R0123.WPH",
                                          "SWinFlash_32.exe", "SWinFlash_64.exe"}},
                             CleanupCase{"the end of the AMI path today",
                                         "xp-ami",
                                         "",
                                         app::kUpdateNotFinished,
                                         {"R0123.WPH"}}));

}  // namespace
}  // namespace scenario
