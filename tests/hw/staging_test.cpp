// Staging the ADDMEM driver into %TEMP% before the first open, including a
// second run while the first run's driver is still loaded.
#include "app/driver_steps.h"
#include "app/sequence_state.h"
#include "core/shared_state.h"
#include "core/temp_directory.h"
#include "hw/driver_loading.h"
#include "hw/hardware_state.h"
#include "hw_fixture.h"
#include "os/sim/sim_services.h"
#include "package/package_bytes.h"

namespace {

using namespace testing_package;

class Staging : public hwtest::HwTest {
 protected:
  void PutPackage(const std::vector<std::string>& records) {
    notebook().files().Put(notebook().profile().modulePath, Package(Archive(0, records)));
  }
  int StartUp() {  // the three start-up steps, as a run performs them
    app::ResetRunState();
    hw::ProbePlatform();
    if (!core::EnterTempDirectory() || !app::StageLegacyDriver()) return -1;
    return app::DetectAmiFirmware();
  }
};

TEST_F(Staging, DriverIsExtractedIntoTempAndInstalledFromThere) {
  Boot("win10-x64-phoenix.json");
  notebook().files().ChangeDirectory("C:\\Update");
  PutPackage({Record("AddMem.sys.gz", Gzip("driver"))});
  EXPECT_EQ(StartUp(), 1);
  EXPECT_EQ(notebook().files().CurrentDirectory(), *notebook().profile().temp);
  std::string content;
  ASSERT_TRUE(notebook().files().Get("ADDMEM.SYS", &content));
  EXPECT_EQ(content, "driver");
  EXPECT_TRUE(notebook().services().IsRunning("ADDMEM"));
}

TEST_F(Staging, MissingMemberOrUnsetTemp) {
  Boot("xp-ami.json");
  PutPackage({Record("ConResEn.dll.gz", Gzip("texts"))});
  EXPECT_EQ(app::StageLegacyDriver(), 0);

  Boot("xp-ami.json", [](nlohmann::json& j) { j["environment"]["TEMP"] = nullptr; });
  PutPackage({Record("AddMem.sys.gz", Gzip("driver"))});
  EXPECT_EQ(app::StageLegacyDriver(), 1);
  EXPECT_EQ(notebook().files().CurrentDirectory(), "C:\\");
  EXPECT_TRUE(notebook().files().Exists("C:\\addmem.sys"));
  EXPECT_EQ(app::DetectAmiFirmware(), 1);  // the service path has no doubled separator
  EXPECT_EQ(notebook().services().Registrations().at("ADDMEM").binaryPath, "C:\\ADDMEM.SYS");
}

// The run before did not power off: ADDMEM still runs from %TEMP% and
// holds its file. The next run uses it instead of failing to overwrite it.
TEST_F(Staging, SecondRunUsesTheDriverStillLoaded) {
  Boot("win10-stale-addmem.json");
  PutPackage({Record("AddMem.sys.gz", Gzip("new driver"))});
  EXPECT_EQ(StartUp(), 1);
  std::string content;
  ASSERT_TRUE(notebook().files().Get("ADDMEM.SYS", &content));
  EXPECT_EQ(content, "kernel driver");  // untouched
  EXPECT_FALSE(notebook().files().Exists("AddMem.sys.gz"));
  EXPECT_TRUE(notebook().transcript().Of("service").empty());
  EXPECT_TRUE(notebook().transcript().Of("exit").empty());
}

// A file held by something other than the running ADDMEM driver may have
// been planted by another user of a shared TEMP: nothing is installed from it.
TEST_F(Staging, AHeldFileCountsOnlyWhileItsDriverRuns) {
  const std::string planted = "C:\\Users\\tech\\AppData\\Local\\Temp\\AddMem.sys";
  Boot("win10-x64-phoenix.json", [&](nlohmann::json& j) {
    j["fileSystem"] = {{"files", {{planted, "planted driver"}}}, {"held", {planted}}};
  });
  PutPackage({Record("AddMem.sys.gz", Gzip("driver"))});
  EXPECT_EQ(StartUp(), -1);
  EXPECT_TRUE(notebook().transcript().Of("service").empty());
  EXPECT_TRUE(notebook().services().Registrations().empty());
}

TEST_F(Staging, TwoRunsOnOneNotebook) {
  Boot("win10-x64-phoenix.json");
  PutPackage({Record("AddMem.sys.gz", Gzip("driver"))});
  ASSERT_EQ(StartUp(), 1);
  const size_t serviceLines = notebook().transcript().Of("service").size();
  ASSERT_EQ(StartUp(), 1);
  EXPECT_EQ(notebook().transcript().Of("service").size(), serviceLines);
  EXPECT_TRUE(notebook().transcript().Of("exit").empty());
}

}  // namespace
