// The language library: chosen by the system's default language, unpacked
// into %TEMP% (or C:\) and loaded as data; the executable's own texts
// otherwise.
#include <gtest/gtest.h>

#include "app/update.h"
#include "core/results.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "scenario/scenario.h"
#include "ui/language.h"

namespace scenario {
namespace {

TEST(LanguageCode, MatchesWholeIdentifiers) {
  EXPECT_STREQ(ui::LanguageCode(0x0804), "Chs");
  EXPECT_STREQ(ui::LanguageCode(0x1004), "Cht");
  EXPECT_STREQ(ui::LanguageCode(0x1404), "En");  // Chinese (Macao) is not in the table
  EXPECT_STREQ(ui::LanguageCode(0x0C07), "Gr");
  EXPECT_STREQ(ui::LanguageCode(0x500A), "Sp");
  EXPECT_STREQ(ui::LanguageCode(0x540A), "En");
  EXPECT_STREQ(ui::LanguageCode(0x140C), "Fr");
  EXPECT_STREQ(ui::LanguageCode(0x0412), "Kr");
  EXPECT_STREQ(ui::LanguageCode(0x0816), "Po");
  EXPECT_STREQ(ui::LanguageCode(0x0419), "Ru");
  EXPECT_STREQ(ui::LanguageCode(0x0411), "En");  // Japanese
  EXPECT_STREQ(ui::LanguageCode(0x0007), "En");  // a primary language alone matches nothing
  EXPECT_EQ(ui::LanguageLibraryName(0x0C07, false), "ConResGr.dll");
  EXPECT_EQ(ui::LanguageLibraryName(0x0C07, true), "ConResGr_ami.dll");
}

class LanguageTest : public ScenarioTest {};

TEST_F(LanguageTest, GermanAustriaLoadsTheGermanLibrary) {
  BootProfile("win7-x64-phoenix", R"({"windows": {"language": "0x0C07"}})");
  InstallPackage(core::FlashLastArea, ReleaseMembers());
  EXPECT_EQ(RunUpdate(), core::ResultSuccess);
  EXPECT_GE(Find(std::string("library: load ") + kTemp + "\\ConResGr.dll as data"), 0);
  EXPECT_TRUE(files().Exists(std::string(kTemp) + "\\ConResGr.dll"));
  EXPECT_FALSE(files().Exists(std::string(kTemp) + "\\ConResEn.dll"));
}

TEST_F(LanguageTest, WithoutTempTheLibraryGoesToDriveC) {
  nlohmann::json profile = ProfileJson("win7-x64-phoenix");
  profile["environment"]["TEMP"] = nullptr;
  Boot(profile.dump());
  InstallPackage(core::FlashLastArea, ReleaseMembers());
  // Without TEMP there is no work directory either.
  EXPECT_EQ(RunUpdate(), core::ResultDirectory);
  EXPECT_TRUE(files().Exists("C:\\ConResEn.dll"));
  EXPECT_GE(Find("library: load C:\\ConResEn.dll as data"), 0);
  // The library's own wording of text 33.
  EXPECT_GE(Find("messagebox: [Fail : Directory] Creating directory failed."), 0);
}

TEST_F(LanguageTest, ALibraryThatCannotBeLoadedIsReportedAndTheOwnTextsServe) {
  BootProfile("win7-x64-phoenix");
  std::vector<Member> members = ReleaseMembers();
  members[0] = Gzipped("ConResEn.dll", "not a library");
  InstallPackage(core::FlashLastArea, members);
  EXPECT_EQ(RunUpdate(), core::ResultSuccess);
  const auto boxes = Lines("messagebox");
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], "[Fail : Dll] Fail To Load Dll (type 0x10, owner none, answer 1)");
  EXPECT_EQ(boxes[1].rfind("[Warning]  - This program updates the Flash ROM", 0), 0u);
  EXPECT_EQ(core::Shared().ResourceModule, 0u);
}

TEST_F(LanguageTest, APackageWithoutALibraryUsesTheExecutablesTexts) {
  BootProfile("win7-x64-phoenix",
              R"({"environment": {"TEMP": "C:\\T"}, "power": {"acLine": 1, "battery": 20}})");
  std::vector<Member> members = ReleaseMembers();
  members.erase(members.begin(), members.begin() + 4);
  InstallPackage(core::FlashLastArea, members);
  EXPECT_EQ(RunUpdate(), core::ResultBatteryLow);
  EXPECT_LT(Find("library: load"), 0);
  // The executable's wording of text 35, with "30%" displayed.
  EXPECT_GE(
      Find(
          "remaining charge\\r\\nlevel of the battery is lower than 30%.\\n\\nCheck your battery."),
      0);
}

}  // namespace
}  // namespace scenario
