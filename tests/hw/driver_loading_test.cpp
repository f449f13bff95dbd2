// Choosing, installing and opening the driver on each Windows family, and
// the start-up steps built on it, against the simulated notebook.
#include <string>

#include "app/driver_steps.h"
#include "app/sequence_state.h"
#include "core/shared_state.h"
#include "hw/driver_loading.h"
#include "hw/hardware_state.h"
#include "hw_fixture.h"
#include "os/sim/sim_services.h"
#include "os/sim/sim_ui.h"

namespace {

using hwtest::HwTest;

const std::string kTemp = "C:\\Users\\tech\\AppData\\Local\\Temp";

struct KindCase {
  const char* profile;
  hw::DriverKind kind;
  machine::Driver driver;
  bool ami = false;
};

class EveryDriverKind : public HwTest, public ::testing::WithParamInterface<KindCase> {};

// Start-up steps 1 and 3 (the staging of step 2 is covered on its own):
// the platform facts choose the driver, it opens, the firmware is searched
// in one request and nothing is left open.
TEST_P(EveryDriverKind, StartUpProbesOpensSearchesAndCloses) {
  Boot(GetParam().profile);
  notebook().files().Put("ADDMEM.SYS", "driver");
  hw::ProbePlatform();
  EXPECT_EQ(app::DetectAmiFirmware(), 1);
  EXPECT_EQ(hw::CurrentDriverKind(), GetParam().kind);
  EXPECT_EQ(app::Sequence().AmiFirmware, GetParam().ami);
  EXPECT_EQ(hardware().requests[static_cast<int>(GetParam().driver)], 1u);
  EXPECT_EQ(Requests(), 1u);
  EXPECT_EQ(notebook().devices().OpenHandles(), 0u);
  EXPECT_EQ(hw::Hw().device, os::kInvalidDevice);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EveryDriverKind,
    ::testing::Values(
        KindCase{"vista-x64-phoenix.json", hw::DriverKind::KmdfMemIo, machine::Driver::kKmdfMemIo},
        KindCase{"win7-x64-phoenix.json", hw::DriverKind::Torq, machine::Driver::kTorq},
        KindCase{"win7-x86-phoenix.json", hw::DriverKind::Torq, machine::Driver::kTorq},
        KindCase{"win10-x64-phoenix.json", hw::DriverKind::AddMem, machine::Driver::kAddMem},
        KindCase{"xp-ami.json", hw::DriverKind::AddMem, machine::Driver::kAddMem, true},
        KindCase{"win98-phoenix.json", hw::DriverKind::MemIoVxd, machine::Driver::kMemIoVxd}));

TEST_F(HwTest, AmiSignatureIsFoundOnlyAtSixteenByteBoundaries) {
  Boot("xp-ami.json");
  notebook().files().Put("ADDMEM.SYS", "driver");
  ASSERT_EQ(app::DetectAmiFirmware(), 1);
  EXPECT_TRUE(app::Sequence().AmiFirmware);

  Boot("xp-ami.json", [](nlohmann::json& j) { j["hardware"]["memory"][0]["address"] = "0xF0488"; });
  notebook().files().Put("ADDMEM.SYS", "driver");
  ASSERT_EQ(app::DetectAmiFirmware(), 1);
  EXPECT_FALSE(app::Sequence().AmiFirmware);
}

TEST_F(HwTest, AddMemRegistrationFromAnEarlierRunIsReplaced) {
  Boot("win10-x64-phoenix.json", [](nlohmann::json& j) {
    j["drivers"]["addmem"] = {{"registered", "C:\\Old\\ADDMEM.SYS"}, {"running", false}};
  });
  notebook().files().Put("ADDMEM.SYS", "driver");
  ASSERT_TRUE(hw::OpenDriver());
  EXPECT_EQ(notebook().transcript().Of("service"),
            (std::vector<std::string>{"stop ADDMEM: not running", "delete ADDMEM",
                                      "create ADDMEM " + kTemp + "\\ADDMEM.SYS", "start ADDMEM"}));
  EXPECT_EQ(notebook().services().Registrations().at("ADDMEM").binaryPath, kTemp + "\\ADDMEM.SYS");
  hw::CloseDriver();
  // Once running, the next operation opens it without touching the service.
  ASSERT_TRUE(hw::OpenDriver());
  EXPECT_EQ(notebook().transcript().Of("service").size(), 4u);
  hw::CloseDriver();
}

// A creation refused once (a deleted registration not gone yet) is retried
// after another removal; a service marked for deletion takes no more calls.
TEST_F(HwTest, AddMemInstallationRetriesOnceAfterARefusedCreation) {
  Boot("win10-x64-phoenix.json", [](nlohmann::json& j) {
    j["drivers"]["addmem"] = {{"createFailures", 1}};
  });
  notebook().files().Put("ADDMEM.SYS", "driver");
  ASSERT_TRUE(hw::OpenDriver());
  hw::CloseDriver();
  EXPECT_EQ(notebook().transcript().Of("service"),
            (std::vector<std::string>{"create ADDMEM: refused",
                                      "create ADDMEM " + kTemp + "\\ADDMEM.SYS", "start ADDMEM"}));

  os::ServiceManager& scm = notebook().services();
  const os::ServiceRef manager = scm.OpenManager();
  const os::ServiceRef first = scm.OpenExisting(manager, "ADDMEM");
  const os::ServiceRef second = scm.OpenExisting(manager, "addmem");
  ASSERT_TRUE(scm.Delete(first));  // running: marked, gone once it stops
  EXPECT_FALSE(scm.Start(second));
  EXPECT_EQ(scm.LastError(), os::error::kServiceMarkedForDelete);
  EXPECT_FALSE(scm.Delete(second));
  EXPECT_FALSE(scm.CreateKernelDriver(manager, "ADDMEM", "ADDMEM", "C:\\x.sys"));
  EXPECT_EQ(scm.LastError(), os::error::kServiceMarkedForDelete);
  EXPECT_TRUE(notebook().services().IsRunning("ADDMEM"));
}

TEST_F(HwTest, MissingAddMemFileFailsEveryAttemptWithResultDriverLoad) {
  Boot("xp-ami.json");
  EXPECT_EQ(app::DetectAmiFirmware(), 0);
  int creates = 0;
  for (const std::string& line : notebook().transcript().Of("service"))
    creates += line.rfind("create", 0) == 0;
  EXPECT_EQ(creates, 10);
  EXPECT_EQ(app::ClearCmosBytes(), core::ResultDriverLoad);
  EXPECT_TRUE(notebook().transcript().Of("exit").empty());
}

// The driver path (directory, "\\", "ADDMEM.SYS") must fit 259 characters.
TEST_F(HwTest, CurrentDirectoryTooLongForTheDriverPathFailsTheInstallation) {
  for (size_t length : {248u, 249u, 300u}) {
    Boot("xp-ami.json");
    std::string dir = kTemp;
    while (dir.size() < length)
      dir += "\\" + std::string(std::min<size_t>(length - dir.size() - 1, 200), 'd');
    notebook().files().MakeDirectories(dir);
    ASSERT_TRUE(notebook().files().ChangeDirectory(dir));
    ASSERT_EQ(notebook().files().CurrentDirectory().size(), length);
    notebook().files().Put("ADDMEM.SYS", "driver");
    EXPECT_EQ(hw::OpenDriver(), length == 248) << length;
    int creates = 0;
    for (const std::string& line : notebook().transcript().Of("service"))
      creates += line.rfind("create", 0) == 0;
    EXPECT_EQ(creates, length == 248 ? 1 : 0) << length;
    hw::CloseDriver();
  }
}

TEST_F(HwTest, Windows98LoadsTheVxdWithoutAService) {
  Boot("win98-phoenix.json");
  ASSERT_TRUE(hw::OpenDriver());
  EXPECT_TRUE(notebook().transcript().Of("service").empty());
  hw::CloseDriver();

  Boot("win98-phoenix.json", [](nlohmann::json& j) { j["drivers"]["memiovxd"] = false; });
  EXPECT_EQ(hw::OpenDriverWithRetry(), 0);
  EXPECT_TRUE(notebook().transcript().Of("service").empty());
}

TEST_F(HwTest, VistaWithoutItsDriverEndsTheProcessAfterTenOpens) {
  Boot("vista-no-driver.json");
  core::Shared().UpdateFlags = 0xFFFFFFFF;  // NoMessageBox among them: the message still shows
  const uint64_t before = notebook().clock().Micros();
  EXPECT_THROW(hw::OpenDriverWithRetry(), sim::ProcessExit);
  EXPECT_EQ(notebook().transcript().Of("exit"), std::vector<std::string>{"-1"});
  const std::string boxes = notebook().transcript().Text();
  EXPECT_NE(boxes.find("Driver Load Fail"), std::string::npos);
  // Presence tests only: no pauses between the ten attempts.
  EXPECT_LT(notebook().clock().Micros() - before, 50000u);
}

TEST_F(HwTest, TorqThatOpensLateIsFoundByTheRetries) {
  Boot("win7-x64-phoenix.json", [](nlohmann::json& j) {
    j["drivers"]["torq"] = {{"openFailures", 9}};
  });
  EXPECT_EQ(hw::OpenDriverWithRetry(), 1);
  hw::CloseDriver();
  Boot("win7-x64-phoenix.json", [](nlohmann::json& j) {
    j["drivers"]["torq"] = {{"openFailures", 10}};
  });
  EXPECT_THROW(hw::OpenDriverWithRetry(), sim::ProcessExit);
}

TEST_F(HwTest, ClearCmosZeroesTheUpperFirstBankAndAllOfTheSecond) {
  Boot("win7-x86-phoenix.json");
  EXPECT_EQ(app::ClearCmosBytes(), core::ResultSuccess);
  EXPECT_EQ(hardware().chipset.cmos[0][0x10], 0x40);  // the clock and setup bytes below 0x20 stay
  for (int i = 0x20; i < 0x80; ++i) EXPECT_EQ(hardware().chipset.cmos[0][i], 0) << i;
  for (int i = 0; i < 0x80; ++i) EXPECT_EQ(hardware().chipset.cmos[1][i], 0) << i;
  const auto hwLines = notebook().transcript().Of("hw");
  EXPECT_EQ(hwLines, (std::vector<std::string>{"CMOS bank 0 0x40 set to 0x00",
                                               "CMOS bank 1 0x05 set to 0x00"}));
}

}  // namespace
