#include "app/work_directory.h"

#include <gtest/gtest.h>

#include "core/shared_state.h"
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
  EXPECT_EQ(app::PrepareWorkDirectory(), core::ResultSuccess);
  EXPECT_STREQ(core::Shared().WorkDirectory, "C:\\Temp\\__Orvanta_Update\\");
  EXPECT_EQ(files().CurrentDirectory(), "C:\\Temp\\__Orvanta_Update");
  EXPECT_EQ(Log(), "");  // nothing to delete in a new directory
}

TEST_F(WorkDirectoryTest, EmptiesAnExistingDirectoryButKeepsSubdirectoriesAndFilesInUse) {
  Boot(R"({"environment": {"TEMP": "C:\\Temp"}, "fileSystem": {
             "files": {"C:\\Temp\\__Orvanta_Update\\DebugLog.txt": "Step 08\r\n",
                       "C:\\Temp\\__Orvanta_Update\\bios.wph": "old",
                       "C:\\Temp\\__Orvanta_Update\\keep\\inner.txt": "x",
                       "C:\\Temp\\__Orvanta_Update\\used.sys": "in use"},
             "held": ["C:\\Temp\\__Orvanta_Update\\used.sys"]}})");
  EXPECT_EQ(app::PrepareWorkDirectory(), core::ResultSuccess);
  EXPECT_FALSE(files().Exists("C:\\Temp\\__Orvanta_Update\\bios.wph"));
  EXPECT_TRUE(files().Exists("C:\\Temp\\__Orvanta_Update\\keep\\inner.txt"));
  EXPECT_TRUE(files().Exists("C:\\Temp\\__Orvanta_Update\\used.sys"));
  // Every entry is reported, the survivors too; the lines written before the
  // old log itself was deleted went with it.
  EXPECT_EQ(Log(),
            "DeleteDirectoryFile : DebugLog.txt is Deleted\r\n"
            "DeleteDirectoryFile : keep is Deleted\r\n"
            "DeleteDirectoryFile : used.sys is Deleted\r\n");
}

TEST_F(WorkDirectoryTest, FailsWithoutAUsableTemp) {
  // Unset, or set but empty: an empty TEMP would make the path relative.
  for (const char* temp : {"null", "\"\""}) {
    Boot(std::string(R"({"environment": {"TEMP": )") + temp +
         R"(}, "startDirectory": "C:\\Start"})");
    EXPECT_EQ(app::PrepareWorkDirectory(), core::ResultDirectory) << temp;
    EXPECT_EQ(files().CurrentDirectory(), "C:\\Start");
    EXPECT_STREQ(core::Shared().WorkDirectory, "");
    EXPECT_FALSE(files().Exists("C:\\Start\\__Orvanta_Update"));
  }
}

TEST_F(WorkDirectoryTest, ThePathMustFitItsBuffer) {
  // TEMP, a backslash and the 17 characters of the name: 241 characters of
  // TEMP make a 259-character path, which fits with its NUL; 242 do not.
  for (size_t length : {241u, 242u}) {
    const std::string temp = "C:\\" + std::string(length - 3, 'T');
    nlohmann::json profile = {{"environment", {{"TEMP", temp}}}, {"startDirectory", "C:\\Start"}};
    Boot(profile.dump());
    files().MakeDirectories(temp);
    const core::ResultCode result = app::PrepareWorkDirectory();
    if (length == 241) {
      EXPECT_EQ(result, core::ResultSuccess);
      EXPECT_EQ(std::string(core::Shared().WorkDirectory).size(), 259u);
    } else {
      EXPECT_EQ(result, core::ResultDirectory);
      EXPECT_STREQ(core::Shared().WorkDirectory, "");
    }
  }
}

// A file of the name is no directory; a junction or link would have the
// files of what it leads to deleted and the package extracted there.
TEST_F(WorkDirectoryTest, FailsBeforeDeletingAnythingWhenTheNameIsNoPlainDirectory) {
  for (const char* takenBy : {R"("files": {"C:\\Temp\\__ORVANTA_UPDATE": "a file"})",
                              R"("links": {"C:\\Temp\\__Orvanta_Update": "C:\\Precious"})"}) {
    Boot(std::string(R"({"environment": {"TEMP": "C:\\Temp"}, "startDirectory": "C:\\Start",
                         "fileSystem": {)") +
         takenBy + "}}");
    files().Put("C:\\Precious\\keep.txt", "precious");
    EXPECT_EQ(app::PrepareWorkDirectory(), core::ResultDirectory) << takenBy;
    EXPECT_EQ(files().CurrentDirectory(), "C:\\Start");
    EXPECT_TRUE(files().Exists("C:\\Precious\\keep.txt"));
    EXPECT_EQ(Log(), "");
  }
}

}  // namespace
