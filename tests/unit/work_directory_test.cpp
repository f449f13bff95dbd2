#include "app/work_directory.h"

#include <gtest/gtest.h>

#include "app/run_state.h"
#include "support/sim_fixture.h"

namespace {

class WorkDirectoryTest : public testing_support::SimTest {
 protected:
  std::string Log() {
    std::string log;
    files().Get("C:\\Temp\\__Orvanta_Update\\DebugLog.txt", &log);
    return log;
  }
};

TEST_F(WorkDirectoryTest, CreatesTheDirectoryWithOneBackslashAndEntersIt) {
  Boot(R"({"environment": {"TEMP": "C:\\Temp\\"}})");
  EXPECT_EQ(app::PrepareWorkDirectory(), app::ResultSuccess);
  EXPECT_STREQ(app::Run().WorkDirectory, "C:\\Temp\\__Orvanta_Update\\");
  EXPECT_EQ(files().CurrentDirectory(), "C:\\Temp\\__Orvanta_Update");
  EXPECT_EQ(Log(), "");  // nothing to delete in a new directory
}

TEST_F(WorkDirectoryTest, EmptiesAnExistingDirectoryButKeepsSubdirectories) {
  Boot(R"({"environment": {"TEMP": "C:\\Temp"}})");
  ASSERT_TRUE(files().Put("C:\\Temp\\__Orvanta_Update\\DebugLog.txt", "Step 08\r\n"));
  ASSERT_TRUE(files().Put("C:\\Temp\\__Orvanta_Update\\bios.wph", "old"));
  ASSERT_TRUE(files().Put("C:\\Temp\\__Orvanta_Update\\keep\\inner.txt", "x"));
  EXPECT_EQ(app::PrepareWorkDirectory(), app::ResultSuccess);
  EXPECT_FALSE(files().Exists("C:\\Temp\\__Orvanta_Update\\bios.wph"));
  EXPECT_TRUE(files().Exists("C:\\Temp\\__Orvanta_Update\\keep\\inner.txt"));
  // Every entry is reported, the survivors too; the lines written before the
  // old log itself was deleted went with it.
  EXPECT_EQ(Log(),
            "DeleteDirectoryFile : DebugLog.txt is Deleted\r\n"
            "DeleteDirectoryFile : keep is Deleted\r\n");
}

TEST_F(WorkDirectoryTest, FailsWithoutTempOrWithAPathTooLong) {
  Boot(R"({"environment": {"TEMP": null}, "startDirectory": "C:\\Start"})");
  EXPECT_EQ(app::PrepareWorkDirectory(), app::ResultDirectory);
  EXPECT_EQ(files().CurrentDirectory(), "C:\\Start");

  // 243 characters of TEMP, a backslash and 17 of the name make 261: too long.
  const std::string longTemp = "C:\\" + std::string(240, 'T');
  Boot(R"({"environment": {"TEMP": ")" + std::string("C:\\\\") + std::string(240, 'T') + R"("}})");
  files().MakeDirectories(longTemp);
  EXPECT_EQ(app::PrepareWorkDirectory(), app::ResultDirectory);
  EXPECT_STREQ(app::Run().WorkDirectory, "");
}

TEST_F(WorkDirectoryTest, FailsWhenAFileTakesTheName) {
  Boot(R"({"environment": {"TEMP": "C:\\Temp"}, "startDirectory": "C:\\Start"})");
  ASSERT_TRUE(files().Put("C:\\Temp\\__ORVANTA_UPDATE", "a file"));
  EXPECT_EQ(app::PrepareWorkDirectory(), app::ResultDirectory);
  EXPECT_EQ(files().CurrentDirectory(), "C:\\Start");
}

}  // namespace
