#include "core/log.h"

#include <gtest/gtest.h>

#include "os/os.h"
#include "support/sim_fixture.h"

namespace {

class WriteLogTest : public testing_support::SimTest {};

TEST_F(WriteLogTest, AppendsLinesWithCrlfToTheCurrentDirectory) {
  Boot(R"({"startDirectory": "C:\\Work"})");
  core::WriteLog("Step 00");
  core::WriteLog("DeleteDirectoryFile : %s is Deleted", "a.bin");
  std::string log;
  ASSERT_TRUE(files().Get("C:\\Work\\DebugLog.txt", &log));
  EXPECT_EQ(log, "Step 00\r\nDeleteDirectoryFile : a.bin is Deleted\r\n");
}

TEST_F(WriteLogTest, KeepsAnExistingLogAndFollowsTheCurrentDirectory) {
  Boot(R"({"startDirectory": "C:\\Work"})");
  ASSERT_TRUE(files().Put("C:\\Work\\debuglog.TXT", "Check System Power\r\n"));
  core::WriteLog("Check System Power");
  files().MakeDirectories("C:\\Other");
  ASSERT_TRUE(files().ChangeDirectory("C:\\Other"));
  core::WriteLog("Step 01");
  std::string first, second;
  ASSERT_TRUE(files().Get("C:\\Work\\DebugLog.txt", &first));
  ASSERT_TRUE(files().Get("C:\\Other\\DebugLog.txt", &second));
  EXPECT_EQ(first, "Check System Power\r\nCheck System Power\r\n");
  EXPECT_EQ(second, "Step 01\r\n");
}

TEST_F(WriteLogTest, ALineIsLostWhileAnotherWriterHoldsTheFile) {
  Boot(R"({"startDirectory": "C:\\Work"})");
  core::WriteLog("first");
  {
    os::FileHandle holder = os::Os().files->Open("DebugLog.txt", os::Access::kWrite,
                                                 os::Disposition::kOpenAlways, os::Share::kRead);
    ASSERT_TRUE(holder);
    core::WriteLog("lost");
  }
  core::WriteLog("second");
  std::string log;
  ASSERT_TRUE(files().Get("C:\\Work\\DebugLog.txt", &log));
  EXPECT_EQ(log, "first\r\nsecond\r\n");
}

}  // namespace
