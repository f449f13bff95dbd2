#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/sequence_state.h"
#include "core/messages.h"
#include "core/results.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "support/sim_fixture.h"

namespace {

using namespace core;

std::vector<std::string> g_actions;

class ReportResultTest : public testing_support::SimTest {
 protected:
  void SetUp() override {
    Boot(R"({"startDirectory": "C:\\Users\\tech\\AppData\\Local\\Temp"})");
    g_actions.clear();
    Cleanup() = CleanupHooks{
        [] { g_actions.push_back("stop animation"); }, [] { g_actions.push_back("resume input"); },
        [] { g_actions.push_back("remove tools"); }, [] { g_actions.push_back("delete files"); }};
  }
  void TearDown() override {
    Cleanup() = CleanupHooks{};
    SimTest::TearDown();
  }
  // The state of a run that reached the update steps: work directory current,
  // input devices suspended.
  void EnterUpdateSteps() {
    files().MakeDirectories("C:\\Temp\\__Orvanta_Update");
    ASSERT_TRUE(files().ChangeDirectory("C:\\temp\\__orvanta_update"));
    std::snprintf(core::Shared().WorkDirectory, kPathSize, "%s", "C:\\Temp\\__Orvanta_Update\\");
    core::Shared().InputDevicesSuspended = true;
  }
  std::vector<std::string> Boxes() { return transcript().Of("messagebox"); }
};

TEST_F(ReportResultTest, EveryCodeGetsItsCleanupRangeAndMessage) {
  struct Row {
    ResultCode code;
    bool cleanup;
    const char* title;  // null: no message
    const char* text;   // how the message's text begins
  };
  const Row rows[] = {
      {ResultSuccess, false, nullptr, nullptr},
      {ResultDiskSpace, false, nullptr, nullptr},
      {ResultInitFailed, false, "Fatal Error", "Initializing program failed."},
      {ResultUnpackFailed, false, "Fail : Unpack", "File Extraction failed."},
      {ResultHddPassword, true, "Fail : HDD Password", "The HDD is password protected."},
      {ResultDriverLoad, true, "Fail : Driver Load", "Loading driver failed."},
      {0x80000006, true, nullptr, nullptr},
      {ResultModelMismatch, true, "Fail : Model(Bios Part Number)",
       "The BIOS/MICOM model to be updated is different."},
      {ResultToolModelMismatch, true, "Fail : Model(Bios Part Number)",
       "The BIOS/MICOM model to be updated is different."},
      {0x80000009, true, nullptr, nullptr},
      {ResultMicomFailed, true, "Fail : Micom", "MICOM Update failed."},
      {ResultBiosFile, true, "Fail : Bios File", "Invalid BIOS file."},
      {ResultMicomFile, true, "Fail : Micom File", "Invalid MICOM file."},
      {ResultSmiEnable, true, "Fail : Enable SMI", "SMI setting failed."},
      {ResultInvalidOption, true, "Fail : Invalid Option", "Invalid Option."},
      {ResultDirectory, false, "Fail : Directory", "Fail to create directory."},
      {ResultNoAcAdapter, false, "Fail : Power", "AC adapter is not connected."},
      {ResultBatteryLow, false, "Fail : Power", "There is no connected battery"},
      {ResultNoPowerSource, false, "Fail : Power", "There is no connected AC adapter"},
      {ResultBiosDate, true, "Fail : Bios Date", "This system's BIOS version is the latest."},
      {0x80000014, true, nullptr, nullptr},
      {0xFFFFFFFF, true, nullptr, nullptr},
      {0x7FFFFFFF, false, nullptr, nullptr},
  };
  EnterUpdateSteps();
  for (const Row& row : rows) {
    g_actions.clear();
    transcript().Clear();
    core::Shared().UpdateInProgress = 1;
    EXPECT_EQ(ReportResult(row.code), row.code);
    EXPECT_EQ(core::Shared().UpdateInProgress, 0);
    const std::vector<std::string> all = {"stop animation", "resume input", "remove tools",
                                          "delete files"};
    EXPECT_EQ(g_actions, row.cleanup ? all : std::vector<std::string>{}) << std::hex << row.code;
    const auto boxes = Boxes();
    if (row.title) {
      ASSERT_EQ(boxes.size(), 1u) << std::hex << row.code;
      EXPECT_EQ(boxes[0].rfind(std::string("[") + row.title + "] " + row.text, 0), 0u) << boxes[0];
      EXPECT_NE(boxes[0].find("type 0x10"), std::string::npos);
    } else {
      EXPECT_TRUE(boxes.empty()) << std::hex << row.code;
    }
  }
}

TEST_F(ReportResultTest, EarlyFailureDeletesNothingAndResumesNothing) {
  // A driver-load failure at start-up: the current directory is %TEMP%.
  EXPECT_EQ(ReportResult(ResultDriverLoad), ResultDriverLoad);
  EXPECT_EQ(g_actions, std::vector<std::string>{"stop animation"});
}

TEST_F(ReportResultTest, AfterLeavingTheWorkDirectoryFilesAreNotTouched) {
  EnterUpdateSteps();
  ASSERT_TRUE(files().ChangeDirectory("C:\\"));
  ReportResult(ResultBiosFile);
  EXPECT_EQ(g_actions, (std::vector<std::string>{"stop animation", "resume input"}));
}

TEST_F(ReportResultTest, ModelMismatchShowsTheFourStrings) {
  EnterUpdateSteps();
  ModelMismatch() = {"NP300", "P05ABC", "NP900", "P07XYZ"};
  ReportResult(ResultToolModelMismatch);
  ModelMismatch() = {};
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(
      boxes[0].find(" : NP300(P05ABC)\\n\\n     New Model (BIOS Part Number) : NP900(P07XYZ)"),
      std::string::npos)
      << boxes[0];
}

TEST_F(ReportResultTest, NoMessageBoxSilencesEveryFailureMessage) {
  core::Shared().UpdateFlags = NoMessageBox;
  ReportResult(ResultInvalidOption);
  EXPECT_EQ(ShowMessage(box::kConfirm, "Warning", "Continue?"), 1);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(ReportResultTest, ShowMessageGivesTheAnswerAndFormatsOnlyWhatIsPassed) {
  notebook().profile().messageBoxes = {{"", 2}, {"", 0}};
  EXPECT_EQ(ShowMessage(box::kConfirm, "Warning", "Go %s?", "on"), 2);
  EXPECT_EQ(ShowMessage(box::kError, "Fail", "Broken %s text"), 0);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], "[Warning] Go on? (type 0x41, owner none, answer 2)");
  EXPECT_EQ(boxes[1], "[Fail] Broken %s text (type 0x10, owner none, answer 0)");
}

TEST_F(ReportResultTest, PowerTextsDisplayThirtyPercent) {
  ReportResult(ResultBatteryLow);
  ReportResult(ResultNoPowerSource);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[0].find("lower than 30%.\\n"), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[1].find("lower than 30%. \\n"), std::string::npos) << boxes[1];
}

}  // namespace
