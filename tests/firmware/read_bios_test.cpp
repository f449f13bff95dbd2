// Read-BIOS mode on the simulated hardware through each driver: the file it
// leaves, an existing longer file, and the failures that must not leave a
// file passing for a firmware dump.
#include <gtest/gtest.h>

#include <string>

#include "firmware/read_bios.h"
#include "hw/hw_fixture.h"

namespace {

constexpr const char* kFile = "ReadRomFile.bin";

class ReadBiosTest : public hwtest::HwTest {
 protected:
  std::string File() {
    std::string content;
    notebook().files().Get(kFile, &content);
    return content;
  }
};

class ReadBios : public ReadBiosTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void Start(const std::function<void(nlohmann::json&)>& edit = {}) {
    Boot(GetParam(), edit);
    notebook().files().Put("ADDMEM.SYS", "driver");  // the legacy driver staged in %TEMP%
    for (uint32_t i = 0; i < firmware::kFirmwareTopSize; ++i)
      hardware().memory.top[i] = static_cast<uint8_t>(i * 7 + (i >> 12));
  }
  std::string Top() {
    return std::string(reinterpret_cast<const char*>(hardware().memory.top),
                       firmware::kFirmwareTopSize);
  }
};

TEST_P(ReadBios, WritesTheTopMegabyteAndKeepsALongerFilesTail) {
  Start();
  firmware::ReadBiosToFile(kFile);
  EXPECT_EQ(File(), Top());
  EXPECT_TRUE(Log().empty());

  const std::string tail = "bytes past the first megabyte";
  ASSERT_TRUE(notebook().files().Put(kFile, std::string(firmware::kFirmwareTopSize, 'x') + tail));
  firmware::ReadBiosToFile(kFile);
  EXPECT_EQ(File(), Top() + tail);
  EXPECT_EQ(notebook().devices().OpenHandles(), 0u);
}

// A refused read would leave the chunk before it in its place: the file goes.
TEST_P(ReadBios, AFailedReadRemovesTheFile) {
  Start([](nlohmann::json& j) { j["drivers"]["refuseMemoryReadAt"] = "0xFFF80010"; });
  ASSERT_TRUE(notebook().files().Put(kFile, std::string(0x180000, 'x')));
  firmware::ReadBiosToFile(kFile);
  EXPECT_FALSE(notebook().files().Exists(kFile));
  EXPECT_EQ(Log(),
            "Read BIOS : physical read failed at 0xFFF80000\r\n"
            "Read BIOS : ReadRomFile.bin removed\r\n");
  EXPECT_EQ(notebook().devices().OpenHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Drivers, ReadBios,
                         ::testing::Values("win7-x64-phoenix.json", "vista-x64-phoenix.json",
                                           "win10-x64-phoenix.json", "win98-phoenix.json"));

TEST_F(ReadBiosTest, AFileThatCannotBeOpenedIsLoggedAndLeftAlone) {
  Boot("win7-x64-phoenix.json");
  notebook().files().MakeDirectories(kFile);  // a folder of that name
  firmware::ReadBiosToFile(kFile);
  EXPECT_TRUE(notebook().files().IsDirectory(kFile));
  EXPECT_EQ(Log(), "Read BIOS : ReadRomFile.bin cannot be opened (error 5)\r\n");

  Boot("win7-x64-phoenix.json");
  notebook().files().Put(kFile, "held");
  notebook().files().Lock(kFile);
  firmware::ReadBiosToFile(kFile);
  notebook().files().Unlock(kFile);
  EXPECT_EQ(File(), "held");
  EXPECT_EQ(Log(), "Read BIOS : ReadRomFile.bin cannot be opened (error 32)\r\n");
}

TEST_F(ReadBiosTest, NoDriverNoFile) {
  Boot("xp-ami.json");  // ADDMEM cannot be installed: its file is not in %TEMP%
  firmware::ReadBiosToFile(kFile);
  EXPECT_FALSE(notebook().files().Exists(kFile));
}

}  // namespace
