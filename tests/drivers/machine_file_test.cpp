// The machine image and state files: what the drivers accept and refuse,
// and the text the harness compares with the native run.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "machine_tools.h"
#include "os/sim/machine/drivers.h"

namespace {

using machine_file::Kind;

nlohmann::json TestProfile() {
  std::ifstream in(std::string(ORV_SOURCE_DIR) + "/tests/drivers/test_machine.json");
  return nlohmann::json::parse(in);
}

std::vector<uint8_t> TestImage() {
  return machine_tools::MakeImage(TestProfile());
}

std::string Refusal(const std::vector<uint8_t>& bytes, Kind kind) {
  machine_tools::MachineFile file;
  std::string error;
  return machine_tools::ParseMachineFile(bytes, kind, &file, &error) ? "accepted" : error;
}

TEST(MachineImage, CarriesTheProfilesHardwareBehindAFixedHeader) {
  const std::vector<uint8_t> bytes = TestImage();
  ASSERT_EQ(bytes.size(), machine_file::kHeaderSize + sizeof(machine::Machine));
  EXPECT_EQ(std::memcmp(bytes.data(), "ORVMACH\x1A", 8), 0);
  EXPECT_EQ(bytes[8], 2);   // format version
  EXPECT_EQ(bytes[12], 1);  // an image
  EXPECT_EQ(machine::Load32(&bytes[20]), sizeof(machine::Machine));
  EXPECT_EQ(machine::Load32(&bytes[24]), 60u);  // clock step per request
  EXPECT_EQ(machine::Load32(&bytes[28]), machine_file::kNoDriver);

  machine_tools::MachineFile image;
  std::string error;
  ASSERT_TRUE(machine_tools::ParseMachineFile(bytes, Kind::kImage, &image, &error)) << error;
  EXPECT_EQ(std::memcmp(image.machine->memory.firmware, "ORVANTA DRIVERS!", 16), 0);
  EXPECT_EQ(image.machine->memory.top[0xFFFF0], 0xEA);
  EXPECT_EQ(image.machine->chipset.cmos[0][0x20], 0xA5);
  EXPECT_EQ(image.machine->chipset.cmos[1][0x05], 0x11);
  EXPECT_EQ(image.machine->kbc.ecRam[0x410], 0x42);
  EXPECT_EQ(image.machine->chipset.pmBase, 0x500);
  EXPECT_STREQ(image.machine->smi.model, "NP-DRIVERS");
}

TEST(MachineImage, RefusesFilesItCannotTrust) {
  const std::vector<uint8_t> good = TestImage();
  std::vector<uint8_t> shorter(good.begin(), good.end() - 1);
  EXPECT_EQ(Refusal(shorter, Kind::kImage), "wrong size for this build's machine");
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  EXPECT_EQ(Refusal(longer, Kind::kImage), "wrong size for this build's machine");
  EXPECT_EQ(Refusal(std::vector<uint8_t>(good.begin(), good.begin() + 31), Kind::kImage),
            "too short for a machine file");

  std::vector<uint8_t> bytes = good;
  bytes[8] = 1;  // the version before the memory windows
  EXPECT_EQ(Refusal(bytes, Kind::kImage), "unknown format version");
  bytes = good;
  bytes[0] = 'X';
  EXPECT_EQ(Refusal(bytes, Kind::kImage), "not a machine file");
  bytes = good;
  bytes[16] ^= 1;
  EXPECT_EQ(Refusal(bytes, Kind::kImage), "made by a build with another machine layout");
  EXPECT_EQ(Refusal(good, Kind::kState),
            "wrong kind (image where a state is expected, or the reverse)");
  bytes = good;
  bytes[28] = 0;  // an image that claims a driver wrote it
  EXPECT_EQ(Refusal(bytes, Kind::kImage), "bad driver field");
}

// The state after a CMOS write through ADDMEM's records, as a driver saves it.
TEST(MachineState, DescribesChangesAgainstTheImageAndTheRequestLog) {
  machine_tools::MachineFile image, state;
  std::string error;
  ASSERT_TRUE(machine_tools::ParseMachineFile(TestImage(), Kind::kImage, &image, &error)) << error;
  auto m = std::make_unique<machine::Machine>(*image.machine);
  for (const auto& [port, value] : {std::pair<uint8_t, uint8_t>{0x70, 0x21}, {0x71, 0x3C}}) {
    uint8_t record[8] = {port, 0, 0, 0, value, 0, 0, 0};
    uint32_t information = 0;
    ASSERT_TRUE(machine::HandleRequest(*m, machine::Driver::kAddMem,
                                       {0x222034, record, 8, 1, false, 0, nullptr}, &information));
  }
  uint8_t broken[7] = {};
  uint32_t information = 0;
  EXPECT_FALSE(machine::HandleRequest(*m, machine::Driver::kAddMem,
                                      {0x222038, broken, 7, 1, false, 0, nullptr}, &information));
  ASSERT_TRUE(machine_tools::ParseMachineFile(
      machine_tools::StateBytes(*m, 60, machine::Driver::kAddMem), Kind::kState, &state, &error))
      << error;

  const std::string text = machine_tools::DescribeState(state, &image);
  EXPECT_NE(text.find("driver addmem\n"), std::string::npos) << text;
  EXPECT_NE(text.find("requests torq=0 kmdfmemio=0 addmem=2 memiovxd=0\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("refused torq=0 kmdfmemio=0 addmem=1 memiovxd=0\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("cmos0 0x0021=0x3C\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("cmos1"), std::string::npos) << "unchanged bank listed:\n" << text;
  EXPECT_EQ(text.find("memory"), std::string::npos) << "unchanged memory listed:\n" << text;
  EXPECT_NE(text.find("0 addmem port-write code=0x00222034 target=0x0070 width=1 value=0x21\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("2 addmem refused code=0x00222038"), std::string::npos) << text;

  // Without the image, every non-zero byte is listed.
  const std::string alone = machine_tools::DescribeState(state, nullptr);
  EXPECT_NE(alone.find("cmos0 0x0020=0xA5 0x0021=0x3C\n"), std::string::npos) << alone;
  EXPECT_NE(alone.find("ec-ram 0x0410=0x42\n"), std::string::npos) << alone;
}

TEST(MachineState, LogShowsOnlyTheRecordsTheRingStillHolds) {
  machine_tools::MachineFile image, state;
  std::string error;
  ASSERT_TRUE(machine_tools::ParseMachineFile(TestImage(), Kind::kImage, &image, &error)) << error;
  auto m = std::make_unique<machine::Machine>(*image.machine);
  const uint32_t total = machine::Machine::kLogSize + 3;
  for (uint32_t i = 0; i < total; ++i) {
    uint8_t record[8] = {0x64, 0, 0, 0, 0, 0, 0, 0};
    uint32_t information = 0;
    ASSERT_TRUE(machine::HandleRequest(*m, machine::Driver::kAddMem,
                                       {0x222038, record, 8, 1, false, 0, nullptr}, &information));
  }
  ASSERT_TRUE(machine_tools::ParseMachineFile(
      machine_tools::StateBytes(*m, 60, machine::Driver::kAddMem), Kind::kState, &state, &error));
  const std::string text = machine_tools::DescribeState(state, &image);
  EXPECT_NE(text.find("log total=515 kept=512\n3 addmem port-read"), std::string::npos)
      << text.substr(0, 600);
  EXPECT_EQ(text.find("\n2 addmem"), std::string::npos);
  EXPECT_NE(text.find("\n514 addmem port-read"), std::string::npos);
}

}  // namespace
