// The controller-vendor check over the configuration ports 0x2E and 0x6C2
// on the simulated hardware: which ports are probed, the mailbox it finds
// for a vendor-'M' controller, its log lines and its results.
#include <gtest/gtest.h>

#include "firmware/firmware_state.h"
#include "firmware/micom.h"
#include "hw/hardware_state.h"
#include "hw/hw_fixture.h"

namespace {

// Whether any request of the run so far went to `port`.
bool Touched(const machine::Machine& m, uint16_t port) {
  const uint32_t first =
      m.logged > machine::Machine::kLogSize ? m.logged - machine::Machine::kLogSize : 0;
  for (uint32_t i = first; i < m.logged; ++i) {
    const machine::RequestRecord& r = m.log[i % machine::Machine::kLogSize];
    if ((r.kind == machine::RequestRecord::kPortRead ||
         r.kind == machine::RequestRecord::kPortWrite) &&
        (r.target == port || r.target == port + 1u))
      return true;
  }
  return false;
}

struct VendorCase {
  const char* name;
  const char* superIo;  // the profile's "hardware.superIo", JSON
  int result;
  bool probes6C2;
  uint16_t mailbox;
};

class ControllerVendor : public hwtest::HwTest {};

TEST_F(ControllerVendor, FindsVendorMAndItsMailboxBehindThePortThatAnswered) {
  const VendorCase cases[] = {
      {"M at 0x2E", R"({"port": "0x2E", "chipId": "0x4D", "mailbox": {"base": "0x0900"}})", 1,
       false, 0x0900},
      {"M at 0x6C2", R"({"port": "0x6C2", "chipId": "0x4D", "mailbox": {"base": "0x0A00"}})", 1,
       true, 0x0A00},
      {"M, mailbox off", R"({"port": "0x6C2", "chipId": "0x4D"})", 1, true, 0},
      {"another vendor", R"({"port": "0x2E", "chipId": "0x49", "mailbox": {"base": "0x0900"}})", 0,
       true, 0},
  };
  for (const VendorCase& c : cases) {
    Boot("win7-x64-phoenix.json",
         [&c](nlohmann::json& j) { j["hardware"]["superIo"] = nlohmann::json::parse(c.superIo); });
    EXPECT_EQ(firmware::CheckControllerVendor(), c.result) << c.name;
    EXPECT_EQ(firmware::Firmware().ControllerVendorM, c.result == 1) << c.name;
    EXPECT_EQ(Touched(hardware(), 0x6C2), c.probes6C2) << c.name;
    EXPECT_EQ(hw::Hw().EcMailboxBase, c.mailbox) << c.name;
    EXPECT_EQ(Log(), "Check Chip Vendor\r\nCheck Chip Vendor end\r\n") << c.name;
    EXPECT_FALSE(hardware().superIo.inConfiguration) << c.name;
    EXPECT_EQ(notebook().devices().OpenHandles(), 0u) << c.name;
  }
}

// The driver answered the probe but cannot be opened again to locate the
// mailbox: -1, which ends the run with the driver-load failure.
TEST_F(ControllerVendor, ADriverLostAfterTheProbeGivesMinusOne) {
  Boot("win98-phoenix.json", [](nlohmann::json& j) {
    j["drivers"]["memiovxd"] = {{"present", true}, {"opensBeforeLoss", 1}};
  });
  EXPECT_EQ(firmware::CheckControllerVendor(), -1);
  EXPECT_EQ(firmware::Firmware().ControllerVendorM, 1);
  EXPECT_EQ(hw::Hw().EcMailboxBase, 0);
}

}  // namespace
