// The progress dialog: its texts, the spinner, Cancel while the update runs
// and after, and the tool-window watcher.
#include <gtest/gtest.h>

#include "app/update.h"
#include "core/results.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "os/sim/sim_dialogs.h"
#include "scenario/scenario.h"
#include "ui/progress_dialog.h"

namespace scenario {
namespace {

class ProgressDialogTest : public ScenarioTest {
 protected:
  sim::SimDialogs& dialogs() { return notebook().dialogs(); }
  os::WindowRef dialog() { return core::Shared().ProgressDialog; }
};

TEST_F(ProgressDialogTest, ShowsTheTaskTextsAndStopsTheSpinnerAtTheEnd) {
  BootProfile("win7-x64-phoenix");
  InstallPackage(core::FlashLastArea, ReleaseMembers());
  ASSERT_EQ(RunUpdate(), core::ResultSuccess);
  EXPECT_EQ(dialogs().ItemText(dialog(), ui::kIntroText),
            "Please do not interrupt the application before it\ncompletes following tasks :");
  EXPECT_EQ(dialogs().ItemText(dialog(), ui::kUnpackText), "File Extraction");
  EXPECT_EQ(dialogs().ItemText(dialog(), ui::kBiosText), "BIOS Update");
  EXPECT_EQ(dialogs().ItemText(dialog(), ui::kMicomText), "MICOM Update");
  EXPECT_EQ(dialogs().ItemText(dialog(), ui::kCurrentVersionLabel), "Current BIOS Version : ");
  // The spinner turned from the end of the extraction until the run ended.
  const int started = Find("dialog: timer 32 every 200 ms");
  const int stopped = Find("dialog: timer 32 stopped");
  EXPECT_GT(started, Find("dialog: spinner frames 116,117,118,103,119,120,121,122 loaded"));
  EXPECT_GT(stopped, Find("dialog: message 1026 (WM_USER+2)"));
  EXPECT_GT(Find("dialog: spinner frames released"), started);
  EXPECT_FALSE(dialogs().TimerRunning(dialog(), ui::kSpinnerTimer));
  const int drawn = dialogs().FramesDrawn();  // while the flash tool ran
  dialogs().FireTimer(dialog(), ui::kSpinnerTimer);
  EXPECT_EQ(dialogs().FramesDrawn(), drawn);
  EXPECT_TRUE(dialogs().IsOpen(dialog()));  // stopping the animation leaves it open
}

TEST_F(ProgressDialogTest, ADmiOnlyPackageRelabelsTheTasks) {
  BootProfile("win7-x64-phoenix", R"({"dmiDialog": [{"press": "OK"}]})");
  InstallPackage(core::FlashLastArea | core::DmiOnly, ReleaseMembers());
  ASSERT_EQ(RunUpdate(), core::ResultSuccess);
  EXPECT_EQ(dialogs().ItemText(dialog(), ui::kBiosText), "Update DMI information.");
  EXPECT_EQ(dialogs().ItemText(dialog(), ui::kMicomText), "");
}

TEST_F(ProgressDialogTest, CancelIsRefusedWhileTheUpdateRunsAndAcceptedAfter) {
  BootProfile("win7-x64-phoenix", R"({"dialog": {"cancelAt": ["init", "message:2"]}})");
  InstallPackage(core::FlashLastArea, ReleaseMembers());
  EXPECT_EQ(RunUpdate("/BOGUS"), core::ResultInvalidOption);
  // At "init" the update runs: the dialog stays, the spinner stops.
  const int first = Find("dialog: Cancel pressed");
  ASSERT_GE(first, 0);
  const int stillOpen = Find("dialog: still open");
  EXPECT_GT(stillOpen, first);
  EXPECT_GE(Find("dialog: spinner frames released"), first);
  // After the failure was reported UpdateInProgress is 0: Cancel closes it.
  const int stop = Find("dialog: message 1026 (WM_USER+2)");
  ASSERT_GT(stop, stillOpen);
  const int closed = Find("dialog: closed with 0");
  EXPECT_GE(closed, stop);
  // The failure's message comes after the dialog has gone: it has no owner.
  EXPECT_GT(Find("messagebox: [Fail : Invalid Option] Invalid Option.\\nCheck the option. (type "
                 "0x10, owner none"),
            closed);
  EXPECT_EQ(dialog(), 0u);
}

TEST_F(ProgressDialogTest, TheToolWindowWatcherClosesTheFlashToolsWindow) {
  BootProfile("win7-x64-phoenix");
  InstallPackage(core::FlashLastArea, ReleaseMembers());
  ASSERT_EQ(RunUpdate(), core::ResultSuccess);
  const os::WindowRef tool = dialogs().AddTopLevelWindow("Phoenix Secure WinFlash");
  dialogs().SendPrivate(dialog(), ui::kWatchToolWindow, 1);
  ASSERT_TRUE(dialogs().TimerRunning(dialog(), ui::kWatcherTimer));
  dialogs().FireTimer(dialog(), ui::kWatcherTimer);
  EXPECT_EQ(dialogs().FindTopLevelWindow("Phoenix Secure WinFlash"), 0u);
  char handle[16];
  std::snprintf(handle, sizeof handle, "%X", static_cast<unsigned>(tool));
  EXPECT_NE(WorkLog().find(std::string("Find Window : ") + handle +
                           "\r\nMessage : Phoenix Secure WinFlash\r\n"
                           "SendMessage Complete\r\n"),
            std::string::npos)
      << WorkLog();
  dialogs().SendPrivate(dialog(), ui::kWatchToolWindow, 0);
  EXPECT_FALSE(dialogs().TimerRunning(dialog(), ui::kWatcherTimer));
}

}  // namespace
}  // namespace scenario
