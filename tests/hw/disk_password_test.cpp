// The hard-disk password check against the simulated notebook's drives:
// the SMART records byte for byte, and which drives count as protected.
#include <string>

#include "hw/disk_password.h"
#include "hw_fixture.h"

namespace {

using hwtest::HwTest;
using nlohmann::json;

class DiskPassword : public HwTest {
 protected:
  uint32_t Check(const json& disks) {
    Boot("win7-x64-phoenix.json", [&](json& j) { j["hardware"]["disks"] = disks; });
    const uint32_t mask = hw::FindPasswordProtectedDrives();
    EXPECT_EQ(notebook().devices().OpenHandles(), 0u);
    return mask;
  }
  const machine::Disks::Drive& Drive(int number) { return hardware().disks.drive[number]; }
};

// SENDCMDINPARAMS as 35 bytes: cBufferSize 512, features 0, sector count 1,
// sector number 1, cylinder 0, drive/head, command, reserved, drive number,
// then zeros.
std::vector<uint8_t> IdentifyRecord(uint8_t driveHead, uint8_t command, uint8_t drive) {
  std::vector<uint8_t> record(35, 0);
  record[1] = 0x02;
  record[5] = record[6] = 1;
  record[9] = driveHead;
  record[10] = command;
  record[12] = drive;
  return record;
}

std::vector<uint8_t> LastIdentify(const machine::Disks::Drive& d) {
  return std::vector<uint8_t>(d.lastIdentify, d.lastIdentify + sizeof d.lastIdentify);
}

TEST_F(DiskPassword, RecordsAddressEachDriveByItsChannelPositionAndKind) {
  EXPECT_EQ(Check(json::parse(R"([{"drive": 0, "security": "enabled"},
                                  {"drive": 1, "security": "enabled"},
                                  {"drive": 2, "type": "atapi", "security": "enabled"},
                                  {"drive": 3, "type": "atapi", "removable": true}])")),
            0x7u);
  EXPECT_EQ(LastIdentify(Drive(0)), IdentifyRecord(0xA0, 0xEC, 0));
  EXPECT_EQ(LastIdentify(Drive(1)), IdentifyRecord(0xB0, 0xEC, 1));
  EXPECT_EQ(LastIdentify(Drive(2)), IdentifyRecord(0xA0, 0xA1, 2));
  EXPECT_EQ(LastIdentify(Drive(3)), IdentifyRecord(0xB0, 0xA1, 3));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Drive(i).versionRequests, 1u) << i;
    EXPECT_EQ(Drive(i).identifyRequests, 1u) << i;
    EXPECT_EQ(Drive(i).refused, 0u) << i;  // exact sizes: 0/24 and 35/531 bytes
  }
}

TEST_F(DiskPassword, OnlyFixedDisksWithSecurityEnabledCount) {
  const struct {
    const char* disks;
    uint32_t mask;
  } kCases[] = {
      {R"([{"drive": 0, "security": "enabled"}, {"drive": 2, "security": "enabled"}])", 0x5},
      {R"([{"drive": 1, "security": "supported"}])", 0},  // word 128 bit 0 only
      {R"([{"drive": 1, "removable": true, "security": "enabled"}])", 0},
      {R"([{"drive": 3, "security": "enabled"}])", 0x8},
      {R"([{"drive": 0, "security": "enabled", "controller": "refuses-smart"}])", 0},
      {R"([{"drive": 0, "security": "enabled", "controller": "no-ide"}])", 0},
      {R"([])", 0},
  };
  for (const auto& c : kCases) EXPECT_EQ(Check(json::parse(c.disks)), c.mask) << c.disks;
}

TEST_F(DiskPassword, DocumentedProfileReportsItsProtectedDisk) {
  Boot("win7-hdd-password.json");
  EXPECT_EQ(hw::FindPasswordProtectedDrives(), 0x1u);
  EXPECT_EQ(LastIdentify(Drive(1)), IdentifyRecord(0xB0, 0xA1, 1));
}

TEST_F(DiskPassword, DrivesBeyondTheFourthAreNeverOpened) {
  EXPECT_EQ(Check(json::parse(R"([{"drive": 4, "security": "enabled"}])")), 0u);
  EXPECT_EQ(Drive(4).versionRequests, 0u);
  for (const std::string& line : notebook().transcript().Of("device"))
    EXPECT_EQ(line.find("PhysicalDrive4"), std::string::npos) << line;
  EXPECT_EQ(notebook().transcript().Of("device").size(), 4u);  // drives 0 to 3 tried
}

}  // namespace
