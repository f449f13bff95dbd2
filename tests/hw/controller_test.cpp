// Embedded-controller, keyboard-controller, software-SMI and chipset
// operations against the simulated hardware, on each driver kind, with
// dead and slow devices.
#include <cstring>
#include <string>
#include <vector>

#include "app/driver_steps.h"
#include "hw/chipset.h"
#include "hw/driver_loading.h"
#include "hw/ec_mailbox.h"
#include "hw/hardware_state.h"
#include "hw/keyboard_controller.h"
#include "hw/memory_search.h"
#include "hw/sw_smi.h"
#include "hw_fixture.h"

namespace {

using hwtest::HwTest;
using hwtest::PortWrites;

class Opened : public HwTest {
 protected:
  void Start(const std::string& profile, const std::function<void(nlohmann::json&)>& edit = {}) {
    Boot(profile, edit);
    notebook().files().Put("ADDMEM.SYS", "driver");
    ASSERT_EQ(hw::OpenDriverWithRetry(), 1);
  }
  void TearDown() override {
    hw::CloseDriver();
    HwTest::TearDown();
  }
};

class EveryKind : public Opened, public ::testing::WithParamInterface<const char*> {};

// The whole controller vocabulary works the same through every driver's
// request format: a mismatch between a record and its decoder shows here.
TEST_P(EveryKind, ControllerFirmwareAndChipsetOperations) {
  Start(GetParam());
  ASSERT_TRUE(hw::WriteEcByte(0xE887, 0x01));
  EXPECT_EQ(hardware().kbc.ecRam[0xE887], 0x01);
  EXPECT_EQ(hw::ReadEcByte(0xE887), 0x01);

  EXPECT_EQ(hw::LocateEcMailbox(0x2E), 1);
  EXPECT_EQ(hw::Hw().EcMailboxBase, 0x0900);
  uint8_t command[16] = {0x42, 0x99, 1, 2, 3};
  EXPECT_EQ(hw::EcMailboxCommand(command), 0);
  EXPECT_EQ(hardware().superIo.lastCommand, 0x42);
  EXPECT_EQ(hardware().superIo.lastData[2], 3);
  EXPECT_EQ(command[1], 0x99);  // never sent, never changed

  ASSERT_TRUE(hw::LocateSwSmi());
  uint8_t reply[16];
  ASSERT_TRUE(hw::CallSwSmi(4, reply, 0));
  EXPECT_STREQ(reinterpret_cast<char*>(reply), "NP900X3C");
  hw::CloseDriver();

  EXPECT_EQ(hw::ReadChipId(0x2E), 0x4D);
  EXPECT_EQ(hw::EnableGlobalSmi(), core::ResultSuccess);
  EXPECT_EQ(hardware().chipset.smiEnable, 0x3u);

  EXPECT_EQ(hardware().kbc.violations + hardware().superIo.violations + hardware().smi.violations,
            0u);
  EXPECT_FALSE(hardware().kbc.held);
  EXPECT_FALSE(hardware().superIo.inConfiguration);
  EXPECT_EQ(notebook().devices().LiveRequestBlocks(), 0u);
  uint32_t refused = 0;
  for (uint32_t r : hardware().refused) refused += r;
  EXPECT_EQ(refused, 0u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EveryKind,
                         ::testing::Values("vista-x64-phoenix.json", "win7-x64-phoenix.json",
                                           "win7-x86-phoenix.json", "win10-x64-phoenix.json",
                                           "win98-phoenix.json"));

TEST_F(Opened, WriteEcByteSendsTheRelaySequenceBracketedByHoldAndRelease) {
  Start("win7-x86-phoenix.json");
  const uint32_t before = Requests();
  ASSERT_TRUE(hw::WriteEcByte(0xE887, 0x01));
  using W = std::pair<uint16_t, uint8_t>;
  EXPECT_EQ(PortWrites(hardware(), {0x60, 0x64}), (std::vector<W>{{0x64, 0xB1},
                                                                  {0x64, 0xBE},
                                                                  {0x60, 0x81},
                                                                  {0x60, 0xE8},
                                                                  {0x60, 0x87},
                                                                  {0x60, 0x01},
                                                                  {0x64, 0xB2}}));
  EXPECT_EQ(Requests() - before, 15u);  // 7 writes and 8 status reads on a prompt controller
}

TEST_F(Opened, PendingBytesAreGivenBackToTheirSide) {
  for (bool aux : {true, false}) {
    Start("win7-x86-phoenix.json", [aux](nlohmann::json& j) {
      j["hardware"]["keyboardController"]["pending"] = {{"data", "0x12"}, {"aux", aux}};
    });
    const hw::KbcHoldState state = hw::KbcHold();
    EXPECT_EQ(hw::HoldKind(state), aux ? hw::kKbcAuxPending : hw::kKbcKeyboardPending);
    EXPECT_EQ(hw::HoldData(state), 0x12);
    ASSERT_TRUE(hw::KbcRelease(state));
    using W = std::pair<uint16_t, uint8_t>;
    EXPECT_EQ(PortWrites(hardware(), {0x60, 0x64}),
              (std::vector<W>{{0x64, 0xB1}, {0x64, uint8_t(aux ? 0xB4 : 0xB3)}, {0x60, 0x12}}));
    // The byte waits for its owner again, on the right side.
    EXPECT_EQ(hardware().kbc.OutputCount(), 1u);
    EXPECT_EQ(hw::KbcReadStatus() & hw::kKbcAuxData, aux ? hw::kKbcAuxData : 0);
    hw::CloseDriver();
  }
}

TEST_F(Opened, SlowControllerWithinTheLimitStillAnswers) {
  Start("win7-x86-phoenix.json", [](nlohmann::json& j) {
    j["hardware"]["keyboardController"]["behaviour"] = {{"slowMicros", 20000}};
  });
  hardware().kbc.ecRam[0x1234] = 0x5C;
  EXPECT_EQ(hw::ReadEcByte(0x1234), 0x5C);
  EXPECT_TRUE(Log().empty());
}

TEST_F(Opened, DeadKeyboardControllerEndsWithinItsLimitHoldingNothing) {
  Start("win7-dead-controllers.json");
  const uint64_t before = notebook().clock().Micros();
  EXPECT_FALSE(hw::WriteEcByte(0xE887, 0x01));
  EXPECT_EQ(hw::ReadEcByte(0xE887), -1);
  EXPECT_FALSE(hw::SendEcAutoOnCommand());  // no mailbox located: the keyboard-controller path
  EXPECT_EQ(LogCount("Timeout: keyboard controller input buffer"), 3);
  EXPECT_LE(notebook().clock().Micros() - before, 3 * 600000u);
  EXPECT_FALSE(hardware().kbc.held);
  EXPECT_EQ(hardware().kbc.ecWrites, 0u);
}

TEST_F(Opened, ControllerThatStopsAfterTheHoldIsStillReleased) {
  // Takes the hold command, then needs longer than any wait allows.
  Start("win7-x86-phoenix.json", [](nlohmann::json& j) {
    j["hardware"]["keyboardController"]["behaviour"] = {{"slowMicros", 600000}};
  });
  EXPECT_FALSE(hw::WriteEcByte(0xE887, 0x01));
  // The release command sent last is taken in the controller's own time.
  hardware().SetTime(notebook().clock().Micros() + 1000000);
  hardware().ReadPort(0x64, 1);
  EXPECT_EQ(hardware().kbc.holds, 1u);
  EXPECT_FALSE(hardware().kbc.held);
  EXPECT_EQ(hardware().kbc.ecWrites, 0u);
  EXPECT_GE(LogCount("Timeout: keyboard controller input buffer"), 1);
}

TEST_F(Opened, MailboxThatNeverClearsEndsWithinItsLimit) {
  Start("win7-dead-controllers.json");
  ASSERT_EQ(hw::LocateEcMailbox(0x2E), 1);
  uint8_t buffer[16] = {hw::kAutoOnCommand};
  const uint64_t before = notebook().clock().Micros();
  EXPECT_EQ(hw::EcMailboxCommand(buffer), -1);
  EXPECT_LE(notebook().clock().Micros() - before, 1100000u);
  EXPECT_EQ(LogCount("Timeout: EC mailbox register 0x82"), 1);
  EXPECT_FALSE(hw::SendEcAutoOnCommand());
  EXPECT_FALSE(hardware().superIo.inConfiguration);
}

TEST_F(Opened, MailboxCommandCostAndReply) {
  Start("win7-x86-phoenix.json", [](nlohmann::json& j) {
    j["hardware"]["superIo"]["mailbox"]["reply"] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
  });
  ASSERT_EQ(hw::LocateEcMailbox(0x2E), 1);
  uint8_t buffer[16] = {0x30, 0x77};
  const uint32_t before = Requests();
  ASSERT_EQ(hw::EcMailboxCommand(buffer), 0);
  EXPECT_EQ(Requests() - before, 62u);
  EXPECT_EQ(buffer[1], 0x77);
  EXPECT_EQ(buffer[2], 1);
  EXPECT_EQ(buffer[15], 14);
}

TEST_F(Opened, InactiveMailboxLeavesAutoOnToTheKeyboardController) {
  Start("win7-x86-phoenix.json",
        [](nlohmann::json& j) { j["hardware"]["superIo"]["mailbox"]["active"] = 0; });
  EXPECT_EQ(hw::LocateEcMailbox(0x2E), 0);
  EXPECT_EQ(hw::Hw().EcMailboxBase, 0);
  ASSERT_TRUE(hw::SendEcAutoOnCommand());
  EXPECT_TRUE(hardware().kbc.autoOnArmed);
  EXPECT_FALSE(hardware().superIo.autoOnArmed);
  EXPECT_FALSE(hardware().kbc.held);
  hw::CloseDriver();
  EXPECT_EQ(hw::ReadChipId(0x6C2), 0xFF);  // nothing answers there
}

TEST_F(Opened, ActiveMailboxArmsAutoOnThroughTheMailbox) {
  Start("win7-x86-phoenix.json");
  ASSERT_EQ(hw::LocateEcMailbox(0x2E), 1);
  ASSERT_TRUE(hw::SendEcAutoOnCommand());
  EXPECT_TRUE(hardware().superIo.autoOnArmed);
  EXPECT_FALSE(hardware().kbc.autoOnArmed);
  hw::CloseDriver();
  EXPECT_NE(notebook().transcript().Text().find("hw: EC auto-on armed through the mailbox"),
            std::string::npos);
}

TEST_F(Opened, SwSmiLevelDecidesUsability) {
  Start("win7-x86-phoenix.json",
        [](nlohmann::json& j) { j["hardware"]["swSmi"]["level"] = "0x23"; });
  EXPECT_FALSE(hw::LocateSwSmi());
  EXPECT_EQ(hw::Hw().swSmi.level, 0x23);  // found, kept, but not usable
  hw::CloseDriver();
  Start("win7-x86-phoenix.json");
  EXPECT_TRUE(hw::LocateSwSmi());
  EXPECT_EQ(hw::Hw().swSmi.MailboxAddress(), 0xFF800u);
}

TEST_F(Opened, SwSmiRecordCutOffByTheEndOfTheAreaIsAbsent) {
  // "SwSmi@" at 0xFFFF0 is found by the search but its 17 bytes overrun.
  Start("win7-x86-phoenix.json",
        [](nlohmann::json& j) { j["hardware"]["swSmi"]["recordAddress"] = "0xFFFF0"; });
  EXPECT_FALSE(hw::LocateSwSmi());
  EXPECT_EQ(hw::Hw().swSmi.level, 0);
}

TEST_F(Opened, SwSmiRepliesWithAndWithoutTerminator) {
  Start("win7-x86-phoenix.json",
        [](nlohmann::json& j) { j["hardware"]["swSmi"]["model"] = "ABCDEFGHIJKLMNOP"; });
  ASSERT_TRUE(hw::LocateSwSmi());
  uint8_t reply[17];
  std::memset(reply, 0x5A, sizeof reply);
  ASSERT_TRUE(hw::CallSwSmi(4, reply, 0));
  EXPECT_EQ(std::memcmp(reply, "ABCDEFGHIJKLMNOP", 16), 0);
  EXPECT_EQ(reply[16], 0x5A);  // nothing written past the 16 bytes
  hw::CloseDriver();

  Start("win7-x86-phoenix.json",
        [](nlohmann::json& j) { j["hardware"]["swSmi"]["model"] = "NPX"; });
  ASSERT_TRUE(hw::LocateSwSmi());
  std::memset(reply, 0x5A, sizeof reply);
  ASSERT_TRUE(hw::CallSwSmi(4, reply, 0));
  EXPECT_EQ(std::memcmp(reply, "NPX", 4), 0);
  for (int i = 3; i < 16; ++i) EXPECT_EQ(reply[i], 0) << i;
  EXPECT_FALSE(hardware().smi.open);

  uint8_t tooLong[20] = {1};
  EXPECT_FALSE(hw::CallSwSmi(7, tooLong, 17));
  EXPECT_EQ(hardware().smi.calls, 1u);  // refused before the firmware was called
}

TEST_F(Opened, SmiHandlerThatNeverAnswersEndsWithinItsLimitAndClosesTheCall) {
  Start("win7-dead-controllers.json");
  ASSERT_TRUE(hw::LocateSwSmi());
  uint8_t reply[16];
  std::memset(reply, 0x5A, sizeof reply);
  const uint64_t before = notebook().clock().Micros();
  EXPECT_FALSE(hw::CallSwSmi(4, reply, 0));
  EXPECT_LE(notebook().clock().Micros() - before, 1100000u);
  EXPECT_EQ(LogCount("Timeout: software SMI reply"), 1);
  for (uint8_t b : reply) EXPECT_EQ(b, 0);
  EXPECT_FALSE(hardware().smi.open);
}

TEST_F(HwTest, GlobalSmiEnableIsSetOnlyWhenClear) {
  Boot("win7-x86-phoenix.json",
       [](nlohmann::json& j) { j["hardware"]["pci"]["smiEnable"] = "0x00002001"; });
  EXPECT_EQ(hw::EnableGlobalSmi(), core::ResultSuccess);
  EXPECT_EQ(hardware().chipset.smiEnableWrites, 0u);

  Boot("win7-x86-phoenix.json",
       [](nlohmann::json& j) { j["hardware"]["pci"]["smiEnable"] = "0xFFFF2002"; });
  EXPECT_EQ(hw::EnableGlobalSmi(), core::ResultSuccess);
  EXPECT_EQ(hardware().chipset.smiEnable, 0xFFFF2003u);
  EXPECT_EQ(notebook().transcript().Of("hw"),
            std::vector<std::string>{"SMI enable 0xFFFF2002 -> 0xFFFF2003"});
}

TEST_F(HwTest, GlobalSmiEnableFailsWithoutTheBridgeOrWithARefusingDriver) {
  Boot("win7-x86-phoenix.json", [](nlohmann::json& j) { j["hardware"]["pci"]["lpc"] = false; });
  EXPECT_EQ(hw::EnableGlobalSmi(), core::ResultSmiEnable);

  Boot("win10-x64-phoenix.json",
       [](nlohmann::json& j) { j["drivers"]["refusePortRequests"] = "all"; });
  notebook().files().Put("ADDMEM.SYS", "driver");
  EXPECT_EQ(hw::EnableGlobalSmi(), core::ResultSmiEnable);
  EXPECT_EQ(hardware().chipset.smiEnableWrites, 0u);
  EXPECT_EQ(LogCount("Timeout: driver refused port request"), 1);

  Boot("vista-no-driver.json");
  hw::ProbePlatform();
  hw::Hw().isWindowsVista = false;  // a failure that returns: as on Windows XP
  hw::Hw().isNt = true;
  EXPECT_EQ(hw::EnableGlobalSmi(), core::ResultDriverLoad);
}

TEST_F(Opened, RefusingDriverRecoversWithinTheResendBound) {
  Start("win10-x64-phoenix.json",
        [](nlohmann::json& j) { j["drivers"]["refusePortRequests"] = 5; });
  hw::CloseDriver();
  EXPECT_EQ(hw::ReadChipId(0x2E), 0x4D);
  EXPECT_EQ(hardware().refused[static_cast<int>(machine::Driver::kAddMem)], 5u);
  EXPECT_TRUE(Log().empty());
}

}  // namespace
