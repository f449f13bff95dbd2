#include "app/checks.h"

#include <gtest/gtest.h>

#include "core/shared_state.h"
#include "core/update_flags.h"
#include "support/sim_fixture.h"

namespace {

class ChecksTest : public testing_support::SimTest {
 protected:
  core::ResultCode Power(const std::string& power, uint32_t header = 0) {
    Boot(R"({"startDirectory": "C:\\Temp", "power": )" + power + "}");
    core::Shared().UpdateFlags = header;
    return app::CheckSystemPower();
  }
  int Disk(uint64_t freeBytes, bool fails = false) {
    Boot(R"({"startDirectory": "C:\\Temp", "disk": {"freeBytes": )" + std::to_string(freeBytes) +
         R"(, "queryFails": )" + (fails ? "true" : "false") + "}}");
    std::snprintf(core::Shared().WorkDirectory, core::kPathSize, "C:\\Temp\\");
    return app::CheckDiskSpace();
  }
};

TEST_F(ChecksTest, PowerBoundaries) {
  EXPECT_EQ(Power(R"({"acLine": 1, "battery": 30})"), core::ResultSuccess);
  EXPECT_EQ(Power(R"({"acLine": 1, "battery": 29})"), core::ResultBatteryLow);
  EXPECT_EQ(Power(R"({"acLine": 1, "battery": 100})"), core::ResultSuccess);
  EXPECT_EQ(Power(R"({"acLine": 1, "battery": 101})"), core::ResultBatteryLow);
  EXPECT_EQ(Power(R"({"acLine": 1, "battery": 255})"), core::ResultBatteryLow);
  EXPECT_EQ(Power(R"({"acLine": 0, "battery": 80})"), core::ResultNoAcAdapter);
  EXPECT_EQ(Power(R"({"acLine": 255, "battery": 255})"), core::ResultNoPowerSource);
  EXPECT_EQ(Power(R"({"acLine": 0, "battery": 10})"), core::ResultNoPowerSource);
}

TEST_F(ChecksTest, AFailedPowerQueryRefuses) {
  EXPECT_EQ(Power(R"({"acLine": 1, "battery": 100, "queryFails": true})"),
            core::ResultNoPowerSource);
}

TEST_F(ChecksTest, SkipCheckPowerStillLogsTheCheck) {
  EXPECT_EQ(Power(R"({"acLine": 0, "battery": 0})", core::SkipCheckPower), core::ResultSuccess);
  std::string log;
  ASSERT_TRUE(files().Get("C:\\Temp\\DebugLog.txt", &log));
  EXPECT_EQ(log, "Check System Power\r\n");
}

TEST_F(ChecksTest, DiskBoundaries) {
  EXPECT_EQ(Disk(2u << 20), 1);
  EXPECT_TRUE(transcript().Of("messagebox").empty());
  EXPECT_EQ(Disk((2u << 20) - 1), 0);
  const auto boxes = transcript().Of("messagebox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0],
            "[Fail : Disk Space] Insufficient free disk space.\\n\\n   Remaining free disk space: "
            "1Mbytes\\n Required free disk space: 2Mbytes (type 0x10, owner none, answer 1)");
}

TEST_F(ChecksTest, AFailedFreeSpaceQueryFailsTheCheck) {
  EXPECT_EQ(Disk(1ull << 40, true), 0);
  EXPECT_EQ(transcript().Of("messagebox").size(), 1u);
}

TEST_F(ChecksTest, DiskFailureIsSilentUnderNoMessageBox) {
  Boot(R"({"startDirectory": "C:\\Temp", "disk": {"freeBytes": 0}})");
  core::Shared().UpdateFlags = core::NoMessageBox;
  EXPECT_EQ(app::CheckDiskSpace(), 0);
  EXPECT_TRUE(transcript().Of("messagebox").empty());
}

}  // namespace
