// Signature searches: which offsets are looked at, and that short ranges
// and texts never read past their buffers.
#include <cstring>
#include <vector>

#include "app/driver_steps.h"
#include "hw/driver_loading.h"
#include "hw/memory_search.h"
#include "hw_fixture.h"

namespace {

class Search : public hwtest::HwTest {
 protected:
  void Place(uint64_t address, const char* text) {
    std::memcpy(hardware().memory.At(address), text, std::strlen(text));
  }
  void SetUp() override {
    Boot("win7-x86-phoenix.json", [](nlohmann::json& j) {
      j["hardware"].erase("memory");
      j["hardware"].erase("smbios");
      j["hardware"].erase("swSmi");
    });
    ASSERT_EQ(hw::OpenDriverWithRetry(), 1);
  }
  void TearDown() override {
    hw::CloseDriver();
    HwTest::TearDown();
  }
};

TEST_F(Search, StrideDecidesWhichOffsetsAreTested) {
  Place(0xF0008, "_DMI_");
  EXPECT_EQ(hw::FindSignature(0xF0000, 0x10000, "_DMI_", 16), 0u);
  EXPECT_EQ(hw::FindSignature(0xF0000, 0x10000, "_DMI_", 1), 0xF0008u);
  Place(0xFFFF0, "_DMI_");  // 0xFFF0 is the last offset tested with stride 16
  EXPECT_EQ(hw::FindSignature(0xF0000, 0x10000, "_DMI_", 16), 0xFFFF0u);
  EXPECT_EQ(Requests(), 3u);  // one read per search
}

TEST_F(Search, OffsetZeroIsAlwaysTestedAndTheResultCarriesIntoTheHighHalf) {
  Place(0xFFF00000, "DEVEL");
  EXPECT_EQ(hw::FindSignature(0xFFF00000, 5, "DEVEL", 1), 0xFFF00000u);
  Place(0xFFF00010, "DiaG@");
  EXPECT_EQ(hw::FindSignature(0xFFF00000, 0x100, "DiaG@", 1), 0xFFF00010u);
  // Longer than the range: nothing to find, and nothing read past the buffer.
  EXPECT_EQ(hw::FindSignature(0xFFF00000, 3, "DEVEL", 1), 0u);
  EXPECT_EQ(hw::FindSignature(0xF0000, 16, "X", 0), 0u);  // a zero stride does not loop for ever
}

TEST(FindInBuffer, TestsOffsetsBelowSizeMinusLength) {
  std::vector<uint8_t> buffer(0x10000, 0);
  std::memcpy(&buffer[0xFFF9], "SwSmi@", 6);
  EXPECT_EQ(hw::FindInBuffer(buffer.data(), "SwSmi@", 0x10000), 0xFFF9);
  std::memset(&buffer[0xFFF9], 0, 6);
  std::memcpy(&buffer[0xFFFA], "SwSmi@", 6);
  EXPECT_EQ(hw::FindInBuffer(buffer.data(), "SwSmi@", 0x10000), -1);
  EXPECT_EQ(hw::FindInBuffer(buffer.data() + 0xFFFA, "SwSmi@", 6), -1);
  EXPECT_EQ(hw::FindInBuffer(buffer.data() + 0xFFFA, "SwSmi@", 3), -1);
}

}  // namespace
