// Input devices switched off and on: the mice through the simulated device
// manager (its "pnp" and "cursor" transcript lines), the keyboard
// controller's command bytes, and the order of the two.
#include <string>
#include <vector>

#include "core/shared_state.h"
#include "hw/input_devices.h"
#include "hw/keyboard_switch.h"
#include "hw/mice.h"
#include "hw_fixture.h"
#include "os/sim/sim_device_manager.h"
#include "os/sim/sim_ui.h"

namespace {

using hwtest::HwTest;
using hwtest::PortWrites;
using nlohmann::json;
using Writes = std::vector<std::pair<uint16_t, uint8_t>>;

const Writes kOffBytes = {{0x64, 0xAD}, {0x64, 0xA7}, {0x64, 0x60}, {0x60, 0x74}};
const Writes kOnBytes = {{0x64, 0x60}, {0x60, 0x47}, {0x64, 0xAE}, {0x64, 0xA8}};
const Writes kOffThenOnBytes = {{0x64, 0xAD}, {0x64, 0xA7}, {0x64, 0x60}, {0x60, 0x74},
                                {0x64, 0x60}, {0x60, 0x47}, {0x64, 0xAE}, {0x64, 0xA8}};

class InputDevices : public HwTest {
 protected:
  void Start(const std::function<void(json&)>& edit = {}) {
    Boot("win7-x64-phoenix.json", edit);
    notebook().transcript().Clear();
  }
  void StartWith(const std::string& devices) {
    Start([&](json& j) { j["devices"] = json::parse(devices); });
  }
  std::vector<std::string> Pnp() { return notebook().transcript().Of("pnp"); }
  // Transcript lines of the device manager, the cursor and the hardware, in order.
  std::vector<std::string> Effects() {
    std::vector<std::string> lines;
    for (const std::string& line : notebook().transcript().Lines())
      if (line.rfind("pnp: ", 0) == 0 || line.rfind("cursor: ", 0) == 0 ||
          line.rfind("hw: ", 0) == 0)
        lines.push_back(line);
    return lines;
  }
};

TEST_F(InputDevices, SuspendSwitchesMiceThenTheControllerAndResumeTheReverse) {
  StartWith(R"([{"name": "Pad", "class": "Mouse"}, {"name": "Keys", "class": "Keyboard"}])");
  ASSERT_TRUE(hw::SuspendInputDevices());
  EXPECT_TRUE(core::Shared().InputDevicesSuspended);
  EXPECT_EQ(hardware().kbc.commandByte, hw::kCommandByteInputOff);
  EXPECT_EQ(PortWrites(hardware(), {0x60, 0x64}), kOffBytes);
  ASSERT_TRUE(hw::ResumeInputDevices());
  EXPECT_FALSE(core::Shared().InputDevicesSuspended);
  EXPECT_EQ(hardware().kbc.commandByte, hw::kCommandByteInputOn);
  EXPECT_EQ(PortWrites(hardware(), {0x60, 0x64}), kOffThenOnBytes);
  EXPECT_EQ(Effects(), (std::vector<std::string>{
                           "cursor: wait", "pnp: Pad: enabled -> disabled", "cursor: restored",
                           "hw: keyboard controller command byte 0x47 -> 0x74",
                           "hw: keyboard controller command byte 0x74 -> 0x47", "cursor: wait",
                           "pnp: Pad: disabled -> enabled", "cursor: restored"}));
  EXPECT_EQ(LogCount("KEY OFF Start"), 1);
  EXPECT_EQ(LogCount("Key OFF End"), 1);
  EXPECT_EQ(hardware().kbc.violations, 0u);
  EXPECT_EQ(notebook().deviceManager().OpenLists(), 0u);
  EXPECT_EQ(notebook().ui().Cursor(), sim::SimUi::kArrowCursor);
}

// Which devices count as mice and may be switched, and what a resume
// without a suspend does to them: every disableable mouse is enabled,
// whoever disabled it; hardware keeps its own switch, and a device the
// system says cannot be disabled is not touched at all.
TEST_F(InputDevices, ResumeWithoutSuspendEnablesEveryDisableableMouse) {
  StartWith(R"([
    {"name": "User-off", "class": "MOUSE", "state": "disabled"},
    {"name": "Hardware-off", "class": "Mouse", "state": "hardware-disabled"},
    {"name": "Fixed", "class": "mouse", "state": "disabled", "disableable": false},
    {"name": "Longer", "class": "MousePointers", "state": "disabled"},
    {"name": "Short", "class": "Mous", "state": "disabled"},
    {"name": "Cyrillic o", "class": "M\u043euse", "state": "disabled"},
    {"name": "Classless", "class": null, "state": "disabled"},
    {"name": "No status", "class": "Mouse", "state": "disabled", "statusFails": true}])");
  ASSERT_TRUE(hw::ResumeInputDevices());
  EXPECT_EQ(PortWrites(hardware(), {0x60, 0x64}), kOnBytes);
  EXPECT_EQ(Pnp(), (std::vector<std::string>{"User-off: disabled -> enabled",
                                             "Longer: disabled -> enabled"}));
  EXPECT_TRUE(Log().empty());
}

TEST_F(InputDevices, ClassNameReadIsBoundedPerDevice) {
  // 1024 characters and the NUL need more than the 2048 bytes a class name may take.
  const std::string huge = "Mouse" + std::string(hw::kClassNameMaxBytes / 2 - 5, 'x');
  StartWith(R"([{"name": "Stuck", "class": "Mouse", "classReadFails": "always"},
                {"name": "Flaky", "class": "Mouse", "classReadFails": 2},
                {"name": "Huge", "class": ")" +
            huge + R"("}, {"name": "Next", "class": "Mouse"}])");
  hw::SetMiceEnabled(false);
  EXPECT_EQ(Pnp(),
            (std::vector<std::string>{"Flaky: enabled -> disabled", "Next: enabled -> disabled"}));
  const auto& devices = notebook().deviceManager().Devices();
  EXPECT_EQ(devices[0].classReads, hw::kClassNameAttempts);
  EXPECT_EQ(devices[1].classReads, 4u);  // two failures, the sizing read, the read
  EXPECT_EQ(devices[2].classReads, 1u);  // the size alone is refused
  EXPECT_EQ(LogCount("Device 0: class name unreadable (error 31), left alone"), 1);
  EXPECT_EQ(LogCount("Device 2: class name unreadable (error 122), left alone"), 1);
}

TEST_F(InputDevices, RefusedPropertyChangeRestoresTheCursorAndGoesOn) {
  StartWith(R"([{"name": "Refuses", "class": "Mouse", "propertyChangeFails": true},
                {"name": "Takes", "class": "Mouse"}])");
  hw::SetMiceEnabled(false);
  EXPECT_EQ(Effects(), (std::vector<std::string>{
                           "cursor: wait",
                           "pnp: Refuses: property change (state 2, scope 1, profile 0) refused",
                           "cursor: restored", "cursor: wait", "pnp: Takes: enabled -> disabled",
                           "cursor: restored"}));
  EXPECT_EQ(LogCount("Mouse 0 not disabled"), 1);
}

// A keyboard controller that takes nothing: the switch-off stops before its
// first byte; the switch-on still sends every byte, so that one lost byte
// never leaves the keyboard off, and says it failed.
TEST_F(InputDevices, DeadControllerIsReportedAndStillGetsEveryByteOn) {
  Start([](json& j) {
    j["hardware"]["keyboardController"]["behaviour"] = "dead";
    j["drivers"]["requestMicros"] = 100000;  // few polls per wait: the request log holds them all
  });
  EXPECT_FALSE(hw::SuspendInputDevices());
  EXPECT_TRUE(PortWrites(hardware(), {0x60, 0x64}).empty());
  EXPECT_EQ(LogCount("KEY OFF Start"), 1);
  EXPECT_EQ(LogCount("Key OFF End"), 0);
  EXPECT_FALSE(hw::ResumeInputDevices());
  EXPECT_EQ(PortWrites(hardware(), {0x60, 0x64}), kOnBytes);
  EXPECT_EQ(LogCount("Key ON Fail"), 1);
  EXPECT_TRUE(core::Shared().InputDevicesSuspended);  // the clean-up tries again
  EXPECT_EQ(Pnp().back(), "PS/2 Compatible Mouse: disabled -> enabled");
}

TEST_F(InputDevices, RefusedWritesAreFailuresNotSuccesses) {
  Start([](json& j) {
    j["drivers"]["refusePortRequests"] = "all";
    j["drivers"]["requestMicros"] = 100000;
  });
  EXPECT_FALSE(hw::KeyboardControllerOff());
  EXPECT_FALSE(hw::KeyboardControllerOn());
  EXPECT_EQ(LogCount("Key OFF End"), 0);
  EXPECT_EQ(LogCount("Key ON Fail"), 1);
  EXPECT_EQ(hardware().kbc.commandByte, 0x47);
}

TEST_F(InputDevices, WithoutTheDriverTheMiceAreStillSwitched) {
  Start([](json& j) {
    j["windows"] = {{"major", 10}, {"minor", 0}, {"platform", "nt"}};
    j["drivers"] = json::object();  // no ADDMEM.SYS to install either
  });
  EXPECT_FALSE(hw::SuspendInputDevices());
  EXPECT_EQ(LogCount("KEY OFF Start"), 1);
  EXPECT_EQ(LogCount("Key OFF End"), 0);
  EXPECT_FALSE(hw::ResumeInputDevices());
  EXPECT_EQ(Pnp(), (std::vector<std::string>{"PS/2 Compatible Mouse: enabled -> disabled",
                                             "PS/2 Compatible Mouse: disabled -> enabled"}));
  EXPECT_EQ(Requests(), 0u);
}

// Every memory-access driver carries the same bytes.
class InputDevicesOnEveryKind : public InputDevices,
                                public ::testing::WithParamInterface<const char*> {};

TEST_P(InputDevicesOnEveryKind, SuspendAndResumeReachTheController) {
  Boot(GetParam());
  notebook().files().Put("ADDMEM.SYS", "driver");
  ASSERT_TRUE(hw::SuspendInputDevices());
  EXPECT_EQ(hardware().kbc.commandByte, 0x74);
  ASSERT_TRUE(hw::ResumeInputDevices());
  EXPECT_EQ(PortWrites(hardware(), {0x60, 0x64}), kOffThenOnBytes);
  EXPECT_EQ(hardware().kbc.commandByte, 0x47);
}

INSTANTIATE_TEST_SUITE_P(Kinds, InputDevicesOnEveryKind,
                         ::testing::Values("vista-x64-phoenix.json", "win7-x86-phoenix.json",
                                           "win10-x64-phoenix.json", "win98-phoenix.json"));

}  // namespace
