// Starting the outside utilities from the work directory on the simulated
// notebook: the quoted process command line and its log line, its length
// limit, how each ending is told apart, the MICOM tool's results and the
// progress dialog's marks while a tool runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/micom.h"
#include "firmware/tool_launch.h"
#include "os/sim/sim_dialogs.h"
#include "support/image_files.h"
#include "support/sim_fixture.h"
#include "ui/progress_dialog.h"

namespace {

using firmware::ToolRun;
using firmware::ToolTask;

constexpr const char* kXpTemp = "C:\\Documents and Settings\\tech\\Local Settings\\Temp";

std::vector<std::string> g_marks;

class ToolLaunch : public testing_support::SimTest {
 protected:
  // A notebook whose work directory under XP's TEMP is prepared and
  // current, holding the flash and MICOM tools and their files.
  void Prepare(const std::string& profile) {
    Boot(profile);
    work_ = std::string(kXpTemp) + "\\__Orvanta_Update\\";
    files().MakeDirectories(work_);
    ASSERT_TRUE(files().ChangeDirectory(work_));
    std::snprintf(core::Shared().WorkDirectory, core::kPathSize, "%s", work_.c_str());
    for (const char* tool : {"SWinFlash.exe", "WinUpV01_10.exe"}) Put(tool, "MZ tool");
    Put("bios.wph", image_test::PhoenixImage(0x90000, 0x80010, 3));
    Put("kbc.bin", "micom image");
    g_marks.clear();
    firmware::TaskMarks() = {[](ToolTask t) { g_marks.push_back(Name(t) + " started"); },
                             [](ToolTask t) { g_marks.push_back(Name(t) + " done"); }};
  }
  void TearDown() override {
    firmware::TaskMarks() = {};
    SimTest::TearDown();
  }
  static std::string Name(ToolTask t) { return t == ToolTask::kFlashBios ? "bios" : "micom"; }
  void Put(const std::string& name, const std::string& content) {
    ASSERT_TRUE(files().Put(work_ + name, content));
  }
  bool Has(const std::string& name) { return files().Exists(work_ + name); }
  std::string Log() {
    std::string log;
    files().Get(work_ + "DebugLog.txt", &log);
    return log;
  }
  std::vector<std::string> Utility() { return transcript().Of("utility"); }

  std::string work_;
};

// XP's TEMP has blanks: unquoted, the system would start C:\Documents.exe.
TEST_F(ToolLaunch, TheQuotedToolRunsInTheWorkDirectoryUnderATempWithBlanks) {
  Prepare(R"({"utilities": {"SWinFlash": {"exitCode": -120}}})");
  ASSERT_TRUE(files().Put("C:\\Documents.exe", "MZ not ours"));

  const ToolRun run = firmware::LaunchTool(ToolTask::kFlashBios, "SWinFlash bios.wph /P");
  EXPECT_EQ(run.ending, ToolRun::Ending::kExited);
  EXPECT_EQ(run.exitCode, -120);
  const std::string line = '"' + work_ + "SWinFlash\" bios.wph /P";
  EXPECT_EQ(Log(), "Bios command : " + line + "\r\n");
  EXPECT_EQ(transcript().Of("process"),
            std::vector<std::string>{line + " (in " + work_ + "): " + work_ +
                                     "SWinFlash.exe -> exit -120"});
  const std::string dir = work_.substr(0, work_.size() - 1);
  EXPECT_EQ(Utility(), (std::vector<std::string>{
                           "SWinFlash: command line " + line, "SWinFlash: working directory " + dir,
                           "SWinFlash: bios.wph: flash-area table with 3 entries",
                           "SWinFlash: window \"Phoenix Secure WinFlash\" shown until the end",
                           "SWinFlash: exit -120"}));
  EXPECT_EQ(g_marks, std::vector<std::string>{"bios started"});

  // The hazard the quotes avoid, as the system reads an unquoted line.
  transcript().Clear();
  os::Os().processes->RunAndWait(work_ + "SWinFlash bios.wph /P", work_);
  EXPECT_NE(transcript().Of("process").at(0).find(": C:\\Documents.exe -> exit 1"),
            std::string::npos);
}

// 511 characters and the terminator fit; one more is refused, never cut.
TEST_F(ToolLaunch, AProcessCommandLineThatDoesNotFitIsRefused) {
  Prepare("{}");
  const size_t fixed = 2 + work_.size() + std::string("WinUpV01_10").size() + 1;  // quotes, blank
  for (const size_t total :
       {firmware::kProcessCommandLineSize - 1, firmware::kProcessCommandLineSize}) {
    transcript().Clear();
    const std::string command = "WinUpV01_10 " + std::string(total - fixed, 'x');
    const ToolRun run = firmware::LaunchTool(ToolTask::kFlashMicom, command.c_str());
    const bool fits = total < firmware::kProcessCommandLineSize;
    EXPECT_EQ(run.ending, fits ? ToolRun::Ending::kExited : ToolRun::Ending::kTooLong) << total;
    EXPECT_EQ(run.length, fits ? 0u : total) << total;
    EXPECT_EQ(transcript().Of("process").size(), fits ? 1u : 0u) << total;
  }
  EXPECT_NE(Log().find("\r\nBios command too long : 512 characters, at most 511\r\n"
                       "Bios command refused : " +
                       work_ + "WinUpV01_10 xxx"),
            std::string::npos);
  EXPECT_EQ(g_marks, std::vector<std::string>{"micom started"});
}

struct Ending {
  const char* name;
  const char* utilities;  // the profile's "utilities" section
  const char* tool;       // what lies in the work directory as SWinFlash.exe
  ToolRun::Ending ending;
  int32_t exitCode;
  uint32_t error;
  const char* logged;  // the line after "Bios command : ..."
};

// Only a real exit code is one: a tool that cannot be created or whose exit
// code cannot be read is never reported as having returned something.
TEST_F(ToolLaunch, EachEndingIsToldApartAndLogged) {
  const Ending cases[] = {
      {"exit 1", R"({"SWinFlash": {"exitCode": 1}})", "MZ", ToolRun::Ending::kExited, 1, 0, ""},
      {"exit -110", R"({"SWinFlash": {"exitCode": -110}})", "MZ", ToolRun::Ending::kExited, -110, 0,
       ""},
      {"missing", "{}", nullptr, ToolRun::Ending::kNotStarted, 0, 2,
       "Bios command not started : error 2"},
      {"not a program", "{}", "text", ToolRun::Ending::kNotStarted, 0, 193,
       "Bios command not started : error 193"},
      {"start fails", R"({"SWinFlash": {"startFails": true}})", "MZ", ToolRun::Ending::kNotStarted,
       0, 193, "Bios command not started : error 193"},
      {"unreadable", R"({"SWinFlash": {"exitCodeUnreadable": true}})", "MZ",
       ToolRun::Ending::kExitCodeUnknown, 0, 6, "Bios command exit code unknown : error 6"},
      {"libraries missing", R"({"SWinFlash": {"exitCode": "0xC0000135"}})", "MZ",
       ToolRun::Ending::kEndedBySystem, static_cast<int32_t>(0xC0000135), 0,
       "Bios command ended by the system : 0xC0000135"},
      {"a code of its own", R"({"SWinFlash": {"exitCode": "0xE0000001"}})", "MZ",
       ToolRun::Ending::kExited, static_cast<int32_t>(0xE0000001), 0, ""},
  };
  for (const Ending& c : cases) {
    Prepare(std::string(R"({"utilities": )") + c.utilities + "}");
    if (c.tool)
      Put("SWinFlash.exe", c.tool);
    else
      files().Remove(work_ + "SWinFlash.exe");
    const ToolRun run = firmware::LaunchTool(ToolTask::kFlashBios, "SWinFlash bios.wph /P");
    EXPECT_EQ(run.ending, c.ending) << c.name;
    EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
    EXPECT_EQ(run.error, c.error) << c.name;
    const std::string log = Log();
    const std::string after = log.substr(log.find("\r\n") + 2);
    EXPECT_EQ(after, *c.logged ? std::string(c.logged) + "\r\n" : "") << c.name;
  }
  // Without a work directory there is nothing to start the tool from.
  core::Shared().WorkDirectory[0] = '\0';
  EXPECT_EQ(firmware::LaunchTool(ToolTask::kFlashBios, "SWinFlash bios.wph /P").ending,
            ToolRun::Ending::kRefused);
}

struct MicomCase {
  const char* name;
  const char* utilities;
  bool kbcBin;
  core::ResultCode result;
};

// Only exit code 0 passes; the tool and "kbc.bin" go whatever happened.
TEST_F(ToolLaunch, TheMicomToolPassesOnlyOnExitCodeZero) {
  const MicomCase cases[] = {
      {"exit 0", "{}", true, core::ResultSuccess},
      {"exit 1", R"({"WinUpV01_10": {"exitCode": 1}})", true, core::ResultMicomFailed},
      {"exit -120", R"({"WinUpV01_10": {"exitCode": -120}})", true, core::ResultMicomFailed},
      {"no kbc.bin", "{}", false, core::ResultMicomFailed},
      {"start fails", R"({"WinUpV01_10": {"startFails": true}})", true, core::ResultMicomFailed},
      {"unreadable", R"({"WinUpV01_10": {"exitCodeUnreadable": true}})", true,
       core::ResultMicomFailed},
  };
  for (const MicomCase& c : cases) {
    Prepare(std::string(R"({"utilities": )") + c.utilities + "}");
    if (!c.kbcBin) files().Remove(work_ + "kbc.bin");
    EXPECT_EQ(firmware::RunMicomTool("WinUpV01_10 kbc.bin /FORCE"), c.result) << c.name;
    EXPECT_FALSE(Has("WinUpV01_10.exe") || Has("kbc.bin")) << c.name;
    std::vector<std::string> marks{"micom started"};
    if (c.result == core::ResultSuccess) marks.push_back("micom done");
    EXPECT_EQ(g_marks, marks) << c.name;
  }
  Prepare("{}");
  core::Shared().UpdateFlags = core::SkipUpdateMicom;
  EXPECT_EQ(firmware::RunMicomTool("WinUpV01_10 kbc.bin /FORCE"), core::ResultSuccess);
  EXPECT_TRUE(transcript().Of("process").empty());
  EXPECT_TRUE(Has("WinUpV01_10.exe") && Has("kbc.bin"));
}

// The dialog shows the tasks, and nothing closes the flash tool's window
// while it runs; were the dialog's watcher on, it would.
TEST_F(ToolLaunch, TheDialogMarksTheTasksAndLeavesTheToolWindowAlone) {
  Prepare("{}");
  firmware::TaskMarks() = {ui::ToolTaskStarted, ui::ToolTaskDone};
  ASSERT_TRUE(ui::StartProgressDialog());  // no package here: the dialog stays up all the same
  const os::WindowRef dialog = core::Shared().ProgressDialog;
  ASSERT_NE(dialog, 0u);
  transcript().Clear();
  EXPECT_EQ(firmware::RunMicomTool("WinUpV01_10 kbc.bin /FORCE"), core::ResultSuccess);
  firmware::LaunchTool(ToolTask::kFlashBios, "SWinFlash bios.wph /P");
  EXPECT_EQ(transcript().Of("dialog"),
            (std::vector<std::string>{"bullet 1009 = arrow", "text 1010 = Preparing MICOM update.",
                                      "bullet 1009 = check", "bullet 1008 = arrow"}));
  EXPECT_TRUE(transcript().Of("window").empty());

  os::Os().dialogs->SendPrivate(dialog, ui::kWatchToolWindow, 1);
  firmware::LaunchTool(ToolTask::kFlashBios, "SWinFlash bios.wph /P");
  EXPECT_EQ(transcript().Of("window"),
            std::vector<std::string>{"WM_CLOSE to \"Phoenix Secure WinFlash\""});
  EXPECT_EQ(Utility().at(Utility().size() - 2),
            "SWinFlash: window \"Phoenix Secure WinFlash\" closed by WM_CLOSE");
}

}  // namespace
