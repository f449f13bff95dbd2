// The start-up of a run, from process start to the option parsing.
#include <gtest/gtest.h>

#include "app/sequence_state.h"
#include "app/update.h"
#include "core/results.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "package/package_bytes.h"
#include "scenario/scenario.h"

namespace scenario {
namespace {

using namespace app;
using namespace core;

class StartupTest : public ScenarioTest {};

TEST_F(StartupTest, ReachesTheOptionParsingInOrder) {
  BootProfile("win7-x64-phoenix");
  files().Put(std::string(kWork) + "old-run.bin", "left by the previous run");
  InstallPackage(FlashLastArea, ReleaseMembers());
  EXPECT_EQ(RunUpdate("/BBL /mforce"), kUpdateNotFinished);

  // Confirmation before the dialog, the dialog's unpack line marked done only
  // after the options were parsed (no step runs past them yet).
  const int confirm = Find("messagebox: [Warning]  - This program updates");
  const int dialog = Find("dialog: open template 117");
  const int arrow = Find("dialog: bullet 1011 = arrow");
  ASSERT_GE(confirm, 0);
  EXPECT_NE(Lines("messagebox")[0].find("(type 0x41, owner none, answer 1)"), std::string::npos);
  EXPECT_GT(dialog, confirm);
  EXPECT_GT(arrow, dialog);
  EXPECT_GE(Find("dialog: spinner frames 116,117,118,103,119,120,121,122 loaded"), 0);
  EXPECT_GE(Find("dialog: text 1010 = Preparing file extraction. Please wait a moment..."), arrow);

  // Extraction into the work directory: every member without ".gz", none left compressed.
  EXPECT_TRUE(WorkFileExists("R0123.WPH"));
  EXPECT_TRUE(WorkFileExists("SWinFlash_64.exe"));
  EXPECT_FALSE(WorkFileExists("R0123.WPH.gz"));
  EXPECT_FALSE(WorkFileExists("old-run.bin"));
  EXPECT_EQ(core::Shared().UpdateFlags, FlashLastArea);
  EXPECT_STREQ(app::Sequence().FlashCommandLine, "SWinFlash bios.wph /P /BBL");
  EXPECT_STREQ(app::Sequence().MicomCommandLine, "WinUpV01_10 kbc.bin /FORCE /FORCE");

  // The first log line goes to %TEMP%, the rest into the work directory.
  std::string tempLog;
  ASSERT_TRUE(files().Get(std::string(kTemp) + "\\DebugLog.txt", &tempLog));
  EXPECT_EQ(tempLog, "Check System Power\r\n");
  EXPECT_NE(WorkLog().find("DeleteDirectoryFile : old-run.bin is Deleted\r\n"), std::string::npos);
  EXPECT_EQ(WorkLog().find("Check System Power"), std::string::npos);
  // The English library came from %TEMP%, loaded as data by its full path.
  EXPECT_GE(Find(std::string("library: load ") + kTemp + "\\ConResEn.dll as data"), 0);
}

TEST_F(StartupTest, CancelAtTheConfirmationEndsWithZeroAfterTheOldFilesAreGone) {
  BootProfile("win7-x64-phoenix",
              R"({"messageBoxes": [{"titleContains": "Warning", "answer": "Cancel"}]})");
  files().Put(std::string(kWork) + "bios.wph", "old image");
  InstallPackage(FlashLastArea, ReleaseMembers());
  EXPECT_EQ(RunUpdate(), ResultSuccess);
  EXPECT_FALSE(WorkFileExists("bios.wph"));
  EXPECT_FALSE(WorkFileExists("R0123.WPH"));  // nothing was extracted
  EXPECT_LT(Find("dialog:"), 0);
  EXPECT_TRUE(files().Exists(std::string(kTemp) + "\\ConResEn.dll"));  // nothing else removed
}

TEST_F(StartupTest, AConfirmationThatCannotBeShownIsNoConsent) {
  BootProfile("win7-x64-phoenix",
              R"({"messageBoxes": [{"titleContains": "Warning", "answer": "fail"}]})");
  InstallPackage(FlashLastArea, ReleaseMembers());
  EXPECT_EQ(RunUpdate(), ResultSuccess);
  EXPECT_LT(Find("dialog:"), 0);
  EXPECT_FALSE(WorkFileExists("R0123.WPH"));
}

TEST_F(StartupTest, OnlyTheHeaderWordSilencesTheConfirmation) {
  BootProfile("win7-x64-phoenix");
  InstallPackage(FlashLastArea | NoMessageBox, ReleaseMembers());
  EXPECT_EQ(RunUpdate(), kUpdateNotFinished);
  EXPECT_TRUE(Lines("messagebox").empty());
  EXPECT_TRUE(WorkFileExists("R0123.WPH"));

  BootProfile("win7-x64-phoenix",
              R"({"messageBoxes": [{"titleContains": "Warning", "answer": "Cancel"}]})");
  InstallPackage(FlashLastArea, ReleaseMembers());
  EXPECT_EQ(RunUpdate("/NO_MESSAGEBOX"), ResultSuccess);
  EXPECT_EQ(Lines("messagebox").size(), 1u);  // the option came too late
  EXPECT_FALSE(WorkFileExists("R0123.WPH"));
}

TEST_F(StartupTest, APackageWithoutItsMagicIsAnInvalidOption) {
  BootProfile("win7-x64-phoenix");
  std::string bytes = testing_package::Package(testing_package::Archive(8, {}));
  bytes[testing_package::kExecutableSize] = 'X';
  InstallPackageBytes(bytes);
  EXPECT_EQ(RunUpdate(), ResultInvalidOption);
  const auto boxes = Lines("messagebox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("[Fail : Invalid Option] Invalid Option.\\nCheck the option.", 0), 0u);
  EXPECT_STREQ(core::Shared().WorkDirectory, "");  // stopped before the work directory
}

TEST_F(StartupTest, AnEmptyPackageFailsTheUnpackWithoutCheckMarkOrSpinner) {
  BootProfile("win7-x64-phoenix");
  InstallPackage(FlashLastArea, {});
  EXPECT_EQ(RunUpdate(), ResultUnpackFailed);
  EXPECT_LT(Find("bullet 1011 = check"), 0);
  EXPECT_LT(Find("spinner frames"), 0);
  EXPECT_GE(Find("dialog: text 1010 = Preparing file extraction."), 0);
  const auto boxes = Lines("messagebox");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1],
            "[Fail : Unpack] File Extraction failed.\\n\\nProgram will be terminated. "
            "(type 0x10, owner dialog, answer 1)");
}

TEST_F(StartupTest, DamagedGzipDataEndsTheProcessSilentlyWithStatusOne) {
  BootProfile("win7-x64-phoenix");
  std::vector<Member> members = ReleaseMembers();
  Member& image = members[5];
  image.data[image.data.size() - 6] ^= 0x55;  // inside the CRC-32
  InstallPackage(FlashLastArea, members);
  EXPECT_EQ(RunUpdate(), 1u);
  EXPECT_TRUE(processEnded_);
  EXPECT_EQ(Lines("messagebox").size(), 1u);  // only the confirmation
  EXPECT_FALSE(Lines("stderr").empty());
}

TEST_F(StartupTest, ADialogThatCannotBeCreatedDoesNotHang) {
  BootProfile("win7-x64-phoenix", R"({"dialog": {"createFails": true}})");
  InstallPackage(FlashLastArea, ReleaseMembers());
  EXPECT_EQ(RunUpdate(), ResultUnpackFailed);
  EXPECT_FALSE(WorkFileExists("R0123.WPH"));
}

TEST_F(StartupTest, AThreadThatCannotStartIsAnInitialisationFailure) {
  BootProfile("win7-x64-phoenix", R"({"threadStartFails": true})");
  InstallPackage(FlashLastArea, ReleaseMembers());
  EXPECT_EQ(RunUpdate(), ResultInitFailed);
  EXPECT_GE(Find("messagebox: [Fatal Error] Initializing program failed."), 0);
}

TEST_F(StartupTest, PowerAndDiskFailuresStopBeforeTheConfirmation) {
  BootProfile("win7-x64-phoenix", R"({"power": {"acLine": 0, "battery": 80}})");
  InstallPackage(FlashLastArea, ReleaseMembers());
  EXPECT_EQ(RunUpdate(), ResultNoAcAdapter);
  EXPECT_EQ(Lines("messagebox").size(), 1u);
  EXPECT_STREQ(core::Shared().WorkDirectory, "");

  BootProfile("win7-x64-phoenix", R"({"power": {"acLine": 0, "battery": 0}})");
  InstallPackage(FlashLastArea | SkipCheckPower, ReleaseMembers());
  EXPECT_EQ(RunUpdate(), kUpdateNotFinished);  // the header word skips the check

  BootProfile("win7-x64-phoenix", R"({"disk": {"freeBytes": 1048575}})");
  InstallPackage(FlashLastArea, ReleaseMembers());
  EXPECT_EQ(RunUpdate(), ResultDiskSpace);
  ASSERT_EQ(Lines("messagebox").size(), 1u);
  EXPECT_EQ(Lines("messagebox")[0].rfind("[Fail : Disk Space]", 0), 0u);
}

TEST_F(StartupTest, AmiFirmwareDeletesBothPhoenixSets) {
  BootProfile("xp-ami");
  InstallPackage(FlashLastArea, ReleaseMembers());
  EXPECT_EQ(RunUpdate(), kUpdateNotFinished);
  EXPECT_TRUE(app::Sequence().AmiFirmware);
  EXPECT_FALSE(WorkFileExists("SWinFlash_32.exe"));
  EXPECT_FALSE(WorkFileExists("SWinFlash_64.exe"));
  EXPECT_FALSE(WorkFileExists("PhlashNT_64.sys"));
  EXPECT_GE(Find(std::string("library: load ") + kTemp + "\\ConResEn_ami.dll as data"), 0);
}

TEST_F(StartupTest, AnUnknownOptionIsReportedOwnedByTheDialog) {
  BootProfile("win7-x64-phoenix");
  InstallPackage(FlashLastArea, ReleaseMembers());
  EXPECT_EQ(RunUpdate("/BOGUS"), ResultInvalidOption);
  const auto boxes = Lines("messagebox");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[1].find("[Fail : Invalid Option]"), std::string::npos);
  EXPECT_NE(boxes[1].find("owner dialog"), std::string::npos);
  EXPECT_GE(Find("dialog: message 1026 (WM_USER+2)"), 0);  // the spinner stopped first
}

}  // namespace
}  // namespace scenario
