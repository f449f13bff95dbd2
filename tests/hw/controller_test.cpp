// Embedded-controller, keyboard-controller, software-SMI and chipset
// operations against the simulated hardware, on each driver kind, with
// dead, slow and refusing devices.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "hw/chipset.h"
#include "hw/driver_loading.h"
#include "hw/ec_mailbox.h"
#include "hw/hardware_state.h"
#include "hw/keyboard_controller.h"
#include "hw/sw_smi.h"
#include "hw_fixture.h"

namespace {

using hwtest::HwTest;
using hwtest::PortWrites;
using Edit = std::function<void(nlohmann::json&)>;

// The port writes the machine saw, in order, for `ports`: "64:B1 60:81".
std::string Writes(const machine::Machine& m, const std::vector<uint16_t>& ports) {
  std::string writes;
  for (const auto& [port, value] : PortWrites(m, ports)) {
    char write[16];
    std::snprintf(write, sizeof write, "%s%X:%02X", writes.empty() ? "" : " ", port, value);
    writes += write;
  }
  return writes;
}

class Opened : public HwTest {
 protected:
  void Start(const std::string& profile, const Edit& edit = {}) {
    Boot(profile, edit);
    files().Put("ADDMEM.SYS", "driver");
    ASSERT_EQ(hw::OpenDriverWithRetry(), 1);
  }
  // A fresh notebook whose profile is `edit`ed.
  void StartWith(const Edit& edit) { Start("win7-x86-phoenix.json", edit); }
  void TearDown() override {
    hw::CloseDriver();
    HwTest::TearDown();
  }
  uint64_t Micros() { return notebook().clock().Micros(); }
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

  const machine::Machine& m = hardware();
  EXPECT_EQ(m.kbc.violations + m.superIo.violations + m.smi.violations, 0u);
  EXPECT_FALSE(m.kbc.held || m.superIo.inConfiguration);
  EXPECT_EQ(notebook().devices().LiveRequestBlocks(), 0u);
  EXPECT_EQ(m.refused[0] + m.refused[1] + m.refused[2] + m.refused[3], 0u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EveryKind,
                         ::testing::Values("vista-x64-phoenix.json", "win7-x64-phoenix.json",
                                           "win7-x86-phoenix.json", "win10-x64-phoenix.json",
                                           "win98-phoenix.json"));

TEST_F(Opened, KeyboardControllerSequencesAndTheirCost) {
  StartWith({});
  const uint32_t before = Requests();
  ASSERT_TRUE(hw::WriteEcByte(0xE887, 0x01));
  EXPECT_EQ(Writes(hardware(), {0x60, 0x64}), "64:B1 64:BE 60:81 60:E8 60:87 60:01 64:B2");
  EXPECT_EQ(Requests() - before, 15u);  // 7 writes and 8 status reads on a prompt controller

  // A byte pending at the hold goes back to whichever side sent it.
  for (bool aux : {true, false}) {
    StartWith([aux](nlohmann::json& j) {
      j["hardware"]["keyboardController"]["pending"] = {{"data", "0x12"}, {"aux", aux}};
    });
    const hw::KbcHoldState state = hw::KbcHold();
    EXPECT_EQ(hw::HoldKind(state), aux ? hw::kKbcAuxPending : hw::kKbcKeyboardPending);
    EXPECT_EQ(hw::HoldData(state), 0x12);
    ASSERT_TRUE(hw::KbcRelease(state));
    EXPECT_EQ(Writes(hardware(), {0x60, 0x64}), aux ? "64:B1 64:B4 60:12" : "64:B1 64:B3 60:12");
    EXPECT_EQ(hardware().kbc.OutputCount(), 1u);
    EXPECT_EQ(hw::KbcReadStatus() & hw::kKbcAuxData, aux ? hw::kKbcAuxData : 0);
  }

  StartWith([](nlohmann::json& j) {
    j["hardware"]["keyboardController"]["behaviour"] = {{"slowMicros", 20000}};
  });
  hardware().kbc.ecRam[0x1234] = 0x5C;
  EXPECT_EQ(hw::ReadEcByte(0x1234), 0x5C);  // slow, within the limit
  EXPECT_TRUE(Log().empty());
}

TEST_F(Opened, DeadOrStoppingControllersEndWithinTheirLimitsHoldingNothing) {
  Start("win7-dead-controllers.json");
  uint64_t before = Micros();
  EXPECT_FALSE(hw::WriteEcByte(0xE887, 0x01));
  EXPECT_EQ(hw::ReadEcByte(0xE887), -1);
  EXPECT_FALSE(hw::SendEcAutoOnCommand());  // no mailbox located: the keyboard-controller path
  EXPECT_EQ(LogCount("Timeout: keyboard controller input buffer"), 3);
  EXPECT_LE(Micros() - before, 3 * 600000u);
  EXPECT_FALSE(hardware().kbc.held);
  EXPECT_EQ(hardware().kbc.ecWrites, 0u);

  ASSERT_EQ(hw::LocateEcMailbox(0x2E), 1);
  uint8_t buffer[16] = {hw::kAutoOnCommand};
  before = Micros();
  EXPECT_EQ(hw::EcMailboxCommand(buffer), -1);
  EXPECT_LE(Micros() - before, 1100000u);
  EXPECT_EQ(LogCount("Timeout: EC mailbox register 0x82"), 1);
  EXPECT_FALSE(hw::SendEcAutoOnCommand());
  EXPECT_FALSE(hardware().superIo.inConfiguration);

  ASSERT_TRUE(hw::LocateSwSmi());
  uint8_t reply[16];
  std::memset(reply, 0x5A, sizeof reply);
  before = Micros();
  EXPECT_FALSE(hw::CallSwSmi(4, reply, 0));
  EXPECT_LE(Micros() - before, 1100000u);
  EXPECT_EQ(LogCount("Timeout: software SMI reply"), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply), 16), std::string(16, '\0'));
  EXPECT_FALSE(hardware().smi.open);

  // Takes the hold command, then needs longer than any wait allows: the
  // release sent last is taken in the controller's own time.
  StartWith([](nlohmann::json& j) {
    j["hardware"]["keyboardController"]["behaviour"] = {{"slowMicros", 600000}};
  });
  EXPECT_FALSE(hw::WriteEcByte(0xE887, 0x01));
  hardware().SetTime(Micros() + 1000000);
  hardware().ReadPort(0x64, 1);
  EXPECT_EQ(hardware().kbc.holds, 1u);
  EXPECT_FALSE(hardware().kbc.held);
  EXPECT_EQ(hardware().kbc.ecWrites, 0u);
  EXPECT_GE(LogCount("Timeout: keyboard controller input buffer"), 1);
}

TEST_F(Opened, MailboxCommandCostReplyAndAutoOn) {
  StartWith([](nlohmann::json& j) {
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
  ASSERT_TRUE(hw::SendEcAutoOnCommand());
  EXPECT_TRUE(hardware().superIo.autoOnArmed);
  EXPECT_FALSE(hardware().kbc.autoOnArmed);
  hw::CloseDriver();
  EXPECT_NE(transcript().Text().find("hw: EC auto-on armed through the mailbox"),
            std::string::npos);

  // An inactive device, or a base whose data port would leave the port space,
  // leaves the auto-on command to the keyboard controller.
  for (const auto& [active, base] : {std::pair<int, const char*>{0, "0x900"}, {1, "0xFFFF"}}) {
    StartWith([&](nlohmann::json& j) {
      j["hardware"]["superIo"]["mailbox"]["active"] = active;
      j["hardware"]["superIo"]["mailbox"]["base"] = base;
    });
    EXPECT_EQ(hw::LocateEcMailbox(0x2E), active);
    EXPECT_EQ(hw::Hw().EcMailboxBase, 0);
    ASSERT_TRUE(hw::SendEcAutoOnCommand());
    EXPECT_TRUE(hardware().kbc.autoOnArmed);
    EXPECT_FALSE(hardware().superIo.autoOnArmed || hardware().kbc.held);
  }
  hw::CloseDriver();
  EXPECT_EQ(hw::ReadChipId(0x6C2), 0xFF);  // nothing answers there
}

// The record's place and level decide whether the firmware is called at
// all; without a usable record nothing is written to port 0 or address 0.
TEST_F(Opened, SwSmiRecordPlaceAndLevelDecideUsability) {
  const struct {
    const char* address;
    const char* level;
    bool usable;
  } rows[] = {
      {"0xFE000", "0x24", true},
      {"0xFE000", "0x23", false},
      {"0xFFFEF", "0x24", true},   // ends exactly at the end of the area read
      {"0xFFFF0", "0x24", false},  // cut off by it
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.address + std::string(" ") + row.level);
    StartWith([&](nlohmann::json& j) {
      j["hardware"]["swSmi"]["recordAddress"] = row.address;
      j["hardware"]["swSmi"]["level"] = row.level;
    });
    uint8_t reply[16];
    EXPECT_FALSE(hw::CallSwSmi(4, reply, 0));  // before the record was looked for
    EXPECT_EQ(hw::LocateSwSmi(), row.usable);
    EXPECT_EQ(hw::CallSwSmi(4, reply, 0), row.usable);
    EXPECT_EQ(hardware().smi.calls, row.usable ? 1u : 0u);
    EXPECT_EQ(Writes(hardware(), {0, 0xB2}), row.usable ? "B2:E0 B2:EF B2:E1" : "");
  }
}

TEST_F(Opened, SwSmiRepliesWithAndWithoutTerminator) {
  // A handler that answers a moment after the trigger: the call is closed
  // only once the reply is there.
  StartWith([](nlohmann::json& j) {
    j["hardware"]["swSmi"]["model"] = "ABCDEFGHIJKLMNOP";
    j["hardware"]["swSmi"]["handler"] = {{"slowMicros", 300}};
  });
  ASSERT_TRUE(hw::LocateSwSmi());
  uint8_t reply[17];
  std::memset(reply, 0x5A, sizeof reply);
  ASSERT_TRUE(hw::CallSwSmi(4, reply, 0));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply), 17), "ABCDEFGHIJKLMNOP\x5A");

  StartWith([](nlohmann::json& j) { j["hardware"]["swSmi"]["model"] = "NPX"; });
  ASSERT_TRUE(hw::LocateSwSmi());
  std::memset(reply, 0x5A, sizeof reply);
  ASSERT_TRUE(hw::CallSwSmi(4, reply, 0));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply), 16),
            std::string("NPX") + std::string(13, '\0'));
  EXPECT_FALSE(hardware().smi.open);
  uint8_t tooLong[20] = {1};
  EXPECT_FALSE(hw::CallSwSmi(7, tooLong, 17));
  EXPECT_EQ(hardware().smi.calls, 1u);  // refused before the firmware was called
}

// With a request costing 5 ms, a refused write is re-sent 20 times (100 ms),
// a restoring one 200 times (1 s), and the request log keeps the sequence.
constexpr uint32_t kRequestMicros = 5000;
constexpr uint32_t kDrops = 30;         // one normal write, and no restoring write after it
constexpr uint32_t kRefusesAll = 1000;  // a restoring write too

// Refuses `count` writes to `port` after the first `after`.
Edit RefuseWrites(uint16_t port, uint32_t after, uint32_t count) {
  return [=](nlohmann::json& j) {
    j["drivers"]["refuseWrites"] = {{"port", port}, {"after", after}, {"count", count}};
    j["drivers"]["requestMicros"] = kRequestMicros;
  };
}

// A write the driver drops inside a sequence: the sequence sends nothing more
// of its own, still releases or closes what it opened, and reports failure.
TEST_F(Opened, ADroppedWriteEndsTheSequenceButNotTheRelease) {
  uint8_t buffer[16] = {0x42, 0, 0xA0, 0xA1};
  const auto smiCall = [] {
    uint8_t reply[16];
    return hw::LocateSwSmi() && hw::CallSwSmi(4, reply, 0);
  };
  const auto mailbox = [&] {
    return hw::LocateEcMailbox(0x2E) && hw::EcMailboxCommand(buffer) == 0;
  };
  const auto writeEc = [] { return hw::WriteEcByte(0xE887, 1); };
  const auto readEc = [] { return hw::ReadEcByte(0xE887) >= 0; };
  const auto autoOn = [] { return hw::SendEcAutoOnCommand(); };
  const auto selectDevice = [] { return hw::LocateEcMailbox(0x2E) != 0; };
  const std::vector<uint16_t> kbc = {0x60, 0x64};
  struct Drop {
    const char* what;
    uint16_t port;
    uint32_t after, count;
    std::function<bool()> operation;
    std::vector<uint16_t> ports;
    const char* written;  // to `ports`
    std::function<void(machine::Machine&)> check;
  };
  const Drop rows[] = {
      Drop("EC prefix", 0x64, 1, kDrops, writeEc, kbc, "64:B1 64:B2",
           [](machine::Machine& m) { EXPECT_EQ(m.kbc.violations, 0u); }),
      Drop("EC address", 0x60, 1, kDrops, writeEc, kbc, "64:B1 64:BE 60:81 64:B2",
           [](machine::Machine& m) { EXPECT_EQ(m.kbc.ecRam[0xE887], 0); }),
      Drop("EC read address", 0x60, 1, kDrops, readEc, kbc, "64:B1 64:BE 60:80 64:B2",
           [](machine::Machine& m) { EXPECT_EQ(m.kbc.ecReads, 0u); }),
      Drop("auto-on command", 0x60, 0, kDrops, autoOn, kbc, "64:B1 64:BE 64:B2",
           [](machine::Machine& m) { EXPECT_FALSE(m.kbc.autoOnArmed); }),
      Drop("release", 0x64, 2, kRefusesAll, writeEc, kbc, "64:B1 64:BE 60:81 60:E8 60:87 60:01",
           [](machine::Machine& m) { EXPECT_TRUE(m.kbc.held && m.kbc.ecRam[0xE887] == 1); }),
      Drop("mailbox data register", 0x900, 2, kDrops, mailbox, {0x900, 0x901},
           "900:82 900:84 901:A0",
           [](machine::Machine& m) {
             EXPECT_EQ(m.superIo.registers[0x84], 0xA0);  // 0xA1 did not land there
             EXPECT_EQ(m.superIo.commands, 0u);
           }),
      Drop("mailbox command register", 0x900, 15, kDrops, mailbox, {}, "",
           [&](machine::Machine& m) {
             EXPECT_EQ(m.superIo.commands, 0u);
             EXPECT_EQ(buffer[2], 0xA0);  // no reply copied
           }),
      Drop("SMI open", 0xB2, 0, kDrops, smiCall, {0xB2}, "B2:E1",
           [](machine::Machine& m) { EXPECT_EQ(m.smi.calls + m.smi.violations + m.smi.open, 0u); }),
      Drop("SMI close", 0xB2, 2, kRefusesAll, smiCall, {0xB2}, "B2:E0 B2:EF",
           [](machine::Machine& m) { EXPECT_TRUE(m.smi.open); }),
      Drop("configuration device select", 0x2E, 1, kDrops, selectDevice, {0x2E, 0x2F},
           "2E:55 2E:AA",
           [](machine::Machine& m) {
             EXPECT_EQ(m.superIo.violations + m.superIo.inConfiguration + hw::Hw().EcMailboxBase,
                       0u);
           }),
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    StartWith(RefuseWrites(row.port, row.after, row.count));
    EXPECT_FALSE(row.operation());
    EXPECT_EQ(Writes(hardware(), row.ports), row.written);
    row.check(hardware());
    EXPECT_EQ(LogCount("Timeout: driver refused port request"), row.count == kDrops ? 1 : 0);
    EXPECT_EQ(LogCount("Timeout: driver refused a port request that restores a device"),
              row.count == kDrops ? 0 : 1);
  }

  // The byte taken while holding goes back even while the refusals that
  // dropped a byte of the sequence go on.
  StartWith([](nlohmann::json& j) {
    RefuseWrites(0x60, 1, kDrops)(j);
    j["hardware"]["keyboardController"]["pending"] = {{"data", "0x12"}, {"aux", true}};
  });
  EXPECT_FALSE(hw::WriteEcByte(0xE887, 0x01));
  EXPECT_EQ(Writes(hardware(), kbc), "64:B1 64:BE 60:81 64:B4 60:12");
  EXPECT_FALSE(hardware().kbc.held);
  EXPECT_EQ(hardware().kbc.OutputCount(), 1u);
}

TEST_F(HwTest, GlobalSmiEnableIsSetOnlyWhenClearAndNeverOnAStandIn) {
  Boot("win7-x86-phoenix.json",
       [](nlohmann::json& j) { j["hardware"]["pci"]["smiEnable"] = "0x00002001"; });
  EXPECT_EQ(hw::EnableGlobalSmi(), core::ResultSuccess);
  EXPECT_EQ(hardware().chipset.smiEnableWrites, 0u);

  Boot("win7-x86-phoenix.json",
       [](nlohmann::json& j) { j["hardware"]["pci"]["smiEnable"] = "0xFFFF2002"; });
  EXPECT_EQ(hw::EnableGlobalSmi(), core::ResultSuccess);
  EXPECT_EQ(hardware().chipset.smiEnable, 0xFFFF2003u);
  EXPECT_EQ(transcript().Of("hw"), std::vector<std::string>{"SMI enable 0xFFFF2002 -> 0xFFFF2003"});

  Boot("win7-x86-phoenix.json", [](nlohmann::json& j) { j["hardware"]["pci"]["lpc"] = false; });
  EXPECT_EQ(hw::EnableGlobalSmi(), core::ResultSmiEnable);

  Boot("win10-x64-phoenix.json",
       [](nlohmann::json& j) { j["drivers"]["refusePortRequests"] = "all"; });
  files().Put("ADDMEM.SYS", "driver");
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
