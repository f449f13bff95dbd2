// Arming the auto power-on and switching off, on the simulated hardware:
// the controller bytes, the real-time priority around them, the failures,
// and the power-off request.
#include "hw/driver_loading.h"
#include "hw/hardware_state.h"
#include "hw/power_cycle.h"
#include "hw_fixture.h"

namespace {

using V = std::vector<std::string>;

class PowerCycle : public hwtest::HwTest {
 protected:
  V Priority() { return notebook().transcript().Of("priority"); }
};

TEST_F(PowerCycle, TheRegisterBitIsSetAtRealTimePriorityAndTheClassRestored) {
  for (const uint8_t before : {uint8_t{0x00}, uint8_t{0x81}}) {
    Boot("win7-x64-phoenix.json", [](nlohmann::json& j) { j["priorityClass"] = "0x8000"; });
    hardware().kbc.ecRam[hw::kAutoOnRegister] = before;
    EXPECT_EQ(hw::SetAutoOnByEcRegister(), core::ResultSuccess);
    EXPECT_EQ(hardware().kbc.ecRam[hw::kAutoOnRegister], before | 0x01);
    EXPECT_EQ(hardware().kbc.ecWrites, 1u);  // written back even when already set
    EXPECT_EQ(Priority(), (V{"0x00008000 -> 0x00000100", "0x00000100 -> 0x00008000"}));
    EXPECT_EQ(notebook().devices().OpenHandles(), 0u);
  }
}

// A byte that cannot be read is not guessed: nothing more goes to the
// controller (one wait, not two), and the failure is reported.
TEST_F(PowerCycle, AnUnreadableRegisterIsNotWrittenAndFails) {
  Boot("win7-dead-controllers.json");
  EXPECT_EQ(hw::SetAutoOnByEcRegister(), hw::kAutoOnNotTaken);
  EXPECT_EQ(hardware().kbc.ecWrites, 0u);
  EXPECT_EQ(Log(),
            "Timeout: keyboard controller input buffer\r\n"
            "Set Auto On : the controller did not answer\r\n");
  EXPECT_EQ(Priority(), (V{"0x00000020 -> 0x00000100", "0x00000100 -> 0x00000020"}));
  EXPECT_EQ(hw::SetAutoOnByEcCommand(), hw::kAutoOnNotTaken);
  EXPECT_EQ(Priority().back(), "0x00000100 -> 0x00000020");
}

TEST_F(PowerCycle, NoDriverNoControllerBytesAndNoPriorityChange) {
  Boot("xp-ami.json");  // ADDMEM's file is not in %TEMP%: it cannot be installed
  EXPECT_EQ(hw::SetAutoOnByEcRegister(), core::ResultDriverLoad);
  EXPECT_EQ(hw::SetAutoOnByEcCommand(), core::ResultDriverLoad);
  EXPECT_TRUE(Priority().empty());
}

// 0xDC goes through the mailbox when one was located, else through the
// keyboard controller, held and released around it.
TEST_F(PowerCycle, TheCommandTakesTheMailboxOrTheKeyboardController) {
  for (const uint16_t mailbox : {uint16_t{0x0900}, uint16_t{0}}) {
    Boot("win7-x64-phoenix.json");
    hw::Hw().EcMailboxBase = mailbox;
    EXPECT_EQ(hw::SetAutoOnByEcCommand(), core::ResultSuccess);
    EXPECT_EQ(hardware().superIo.autoOnArmed, mailbox != 0);
    EXPECT_EQ(hardware().kbc.autoOnArmed, mailbox == 0);
    EXPECT_EQ(hardware().kbc.holds, mailbox ? 0u : 1u);
    EXPECT_EQ(hardware().kbc.releases, hardware().kbc.holds);
    EXPECT_EQ(hardware().kbc.violations + hardware().superIo.violations, 0u);
    EXPECT_EQ(Priority().size(), 2u);
  }
}

// The session ends at the request, as Windows ends the program; the NT
// family needs the shutdown privilege first.
TEST_F(PowerCycle, ThePowerOffRequestEndsTheRun) {
  for (const char* profile : {"win7-x64-phoenix.json", "win98-phoenix.json"}) {
    Boot(profile);
    try {
      hw::ShutdownSystem(hw::kExitWindowsPowerOff);
      ADD_FAILURE() << profile << ": the run went on after the power-off request";
    } catch (const sim::ProcessExit& exit) {
      EXPECT_EQ(exit.code, 0u);
    }
    const bool nt = std::string(profile) != "win98-phoenix.json";
    V expected{"ExitWindowsEx 0x00000008: the session ends"};
    if (nt) expected.insert(expected.begin(), "shutdown privilege enabled");
    EXPECT_EQ(notebook().transcript().Of("power"), expected);
  }
}

}  // namespace
