// The exact bytes each primitive hands to each driver: recorded at the
// device seam, answered with a fixed value.
#include <cstring>
#include <vector>

#include "hw/chipset.h"
#include "hw/device_requests.h"
#include "hw/hardware_state.h"
#include "hw/memory_search.h"
#include "hw/wait_limit.h"
#include "hw_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Sent {
  uint32_t code;
  Bytes input;
  uint32_t outputSize;
  bool sameBuffer;  // input and output the same memory
  uintptr_t inputAddress;
};

class RecordingDevices : public os::Devices {
 public:
  os::DeviceRef Open(const std::string&, uint32_t, uint32_t, uint32_t, uint32_t,
                     uint32_t*) override {
    ++opens;
    return openFails ? os::kInvalidDevice : 7;
  }
  bool Control(os::DeviceRef, uint32_t code, const void* input, uint32_t inputSize, void* output,
               uint32_t outputSize, uint32_t* returned) override {
    const auto* in = static_cast<const uint8_t*>(input);
    sent.push_back({code, Bytes(in, in + inputSize), outputSize, input == output,
                    reinterpret_cast<uintptr_t>(input)});
    if (refuse) return false;
    // Reads get 0xA1 0xA2 ... where the value belongs for this request.
    if (code == 0x9C412400 && inputSize == 16) {  // MEMIO.VXD: through the pointer in the record
      uint32_t address;
      std::memcpy(&address, in + 12, 4);
      auto* variable = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(address));
      for (uint32_t i = 0; i < in[8]; ++i) variable[i] = static_cast<uint8_t>(0xA1 + i);
    } else {
      const uint32_t skip = input == output ? 16 : 0;  // KMDFMEMIO: behind the header
      for (uint32_t i = skip; i < outputSize; ++i)
        static_cast<uint8_t*>(output)[i] = static_cast<uint8_t>(0xA1 + i - skip);
    }
    *returned = outputSize;
    return true;
  }
  void Close(os::DeviceRef) override { ++closes; }
  void* AllocateRequest(size_t size) override { return real->AllocateRequest(size); }
  void FreeRequest(void* block) override { real->FreeRequest(block); }

  os::Devices* real = nullptr;
  std::vector<Sent> sent;
  int opens = 0, closes = 0;
  bool refuse = false, openFails = false;
};

Bytes Le32(uint32_t v) {
  return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

class RequestBytes : public hwtest::HwTest {
 protected:
  // A notebook for time, files and request memory; the recorder as driver.
  void Use(bool vista, bool win7, bool nt, int32_t wow64) {
    Boot("win7-x64-phoenix.json");
    recorder_.real = &notebook().devices();
    os::Platform p = notebook().Platform();
    p.devices = &recorder_;
    os::InstallPlatform(p);
    hw::HardwareState& s = hw::Hw();
    s.versionProbed = true;
    s.isWindowsVista = vista;
    s.isWindows7 = win7;
    s.isNt = nt;
    s.isWow64 = wow64;
    s.device = 7;
  }
  const Sent& Only() {
    EXPECT_EQ(recorder_.sent.size(), 1u);
    return recorder_.sent.back();
  }
  RecordingDevices recorder_;
};

TEST_F(RequestBytes, TorqPortRecordsFollowTheProcessWidth) {
  Use(false, true, true, 1);
  EXPECT_EQ(hw::ReadPort8(0x64), 0xA1);
  EXPECT_EQ(Only().code, 0x9C412008u);
  EXPECT_EQ(Only().input, (Bytes{0x64, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Only().outputSize, 1u);

  recorder_.sent.clear();
  hw::Hw().isWow64 = 0;
  EXPECT_EQ(hw::ReadPort16(0x1234), 0xA2A1);
  EXPECT_EQ(Only().input, (Bytes{0x34, 0x12, 0, 0, 1, 2, 0, 0, 0}));
  EXPECT_EQ(Only().outputSize, 2u);

  recorder_.sent.clear();
  hw::WritePort16(0x72, 0xBEEF);
  EXPECT_EQ(Only().input, (Bytes{0x72, 0, 0, 0, 0, 2, 0, 0, 0, 0xEF, 0xBE}));

  recorder_.sent.clear();
  hw::Hw().isWow64 = 1;
  hw::WritePort32(0xCF8, 0x8000F840);
  EXPECT_EQ(Only().input, Cat({Bytes{0xF8, 0x0C, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0},
                               Le32(0x8000F840)}));
}

TEST_F(RequestBytes, TorqMemoryRecords) {
  Use(false, true, true, 1);
  uint8_t buffer[4] = {};
  hw::ReadPhysical({0xF0000, 1, 4, buffer});
  EXPECT_EQ(Only().code, 0x9C41200Cu);
  EXPECT_EQ(Only().input, (Bytes{0, 0, 0x0F, 0, 1, 0, 0, 0, 1, 4, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Only().outputSize, 4u);
  EXPECT_EQ(buffer[3], 0xA4);

  recorder_.sent.clear();
  hw::Hw().isWow64 = 0;
  const uint8_t data[3] = {'C', 'X', 4};
  hw::WritePhysical({0xFF800, 1, 3, const_cast<uint8_t*>(data)});  // the high half is dropped
  EXPECT_EQ(Only().input, (Bytes{0, 0xF8, 0x0F, 0, 0, 3, 0, 0, 0, 'C', 'X', 4}));
  EXPECT_EQ(Only().outputSize, 3u);  // the caller's buffer
}

TEST_F(RequestBytes, KmdfRecordsPointAtTheirOwnDataAndOpenPerRequest) {
  Use(true, false, true, 1);
  EXPECT_EQ(hw::ReadPort16(0x430), 0xA2A1);
  const Sent& read = Only();
  EXPECT_EQ(read.code, 0x9C412408u);
  EXPECT_TRUE(read.sameBuffer);
  EXPECT_EQ(read.input, Cat({Le32(0x430), Le32(0), Le32(2),
                             Le32(static_cast<uint32_t>(read.inputAddress + 16)), Bytes{0, 0}}));
  EXPECT_EQ(read.outputSize, 18u);
  EXPECT_EQ(recorder_.opens, 1);
  EXPECT_EQ(recorder_.closes, 1);
  EXPECT_EQ(hw::Hw().device, os::kInvalidDevice);

  recorder_.sent.clear();
  hw::WritePort8(0x70, 0x2F);
  EXPECT_EQ(Only().code, 0x9C412404u);
  EXPECT_EQ(Only().input,
            Cat({Le32(0x70), Le32(0), Le32(1),
                 Le32(static_cast<uint32_t>(Only().inputAddress + 16)), Bytes{0x2F}}));

  recorder_.sent.clear();
  uint8_t buffer[3] = {};
  hw::ReadPhysical({0xF0010, 0, 3, buffer});
  EXPECT_EQ(Only().code, 0x9C412800u);
  EXPECT_EQ(Only().input,
            Cat({Le32(0), Le32(0xF0010), Le32(3),
                 Le32(static_cast<uint32_t>(Only().inputAddress + 16)), Bytes{0, 0, 0}}));
  EXPECT_EQ(buffer[0], 0xA1);
  EXPECT_EQ(notebook().devices().LiveRequestBlocks(), 0u);
}

TEST_F(RequestBytes, KmdfThatCannotBeOpenedReadsAllOnesAndLeavesMemoryBuffers) {
  Use(true, false, true, 0);
  recorder_.openFails = true;
  const uint64_t before = notebook().clock().Micros();
  EXPECT_EQ(hw::ReadPort8(0x64), 0xFF);
  EXPECT_EQ(hw::ReadPort32(0xCFC), 0xFFFFFFFFu);
  EXPECT_TRUE(hw::Hw().portFailed);
  EXPECT_EQ(recorder_.opens, 20);
  EXPECT_GE(notebook().clock().Micros() - before, 2 * 500000u);  // ten pauses of 50 ms per request
  uint8_t buffer[2] = {0x11, 0x22};
  hw::ReadPhysical({0xF0000, 0, 2, buffer});
  EXPECT_EQ(buffer[0], 0x11);
  EXPECT_TRUE(recorder_.sent.empty());
}

TEST_F(RequestBytes, KmdfReadThatTheDriverRefusesGivesAllOnes) {
  Use(true, false, true, 0);
  recorder_.refuse = true;
  EXPECT_EQ(hw::ReadPort16(0x430), 0xFFFF);
  EXPECT_TRUE(hw::Hw().portFailed);
  EXPECT_EQ(recorder_.sent.size(), 1u);  // sent once, never again
}

// Record sizes are 32-bit sums: a length near 4 GiB would wrap them.
TEST_F(RequestBytes, MemoryRangesBeyondSixteenMebibytesAreNotSent) {
  for (bool vista : {false, true}) {
    Use(vista, !vista, true, 1);
    std::vector<uint8_t> buffer(hw::kMaxPhysicalTransfer + 1);
    hw::ReadPhysical({0, 0, hw::kMaxPhysicalTransfer + 1, buffer.data()});
    hw::WritePhysical({0, 0, hw::kMaxPhysicalTransfer + 1, buffer.data()});
    hw::WritePhysical({0, 0, 0xFFFFFFF8u, buffer.data()});
    EXPECT_EQ(hw::FindSignature(0, 0xFFFFFFF0u, "DEVEL", 1), 0u);
    EXPECT_TRUE(recorder_.sent.empty());
    hw::ReadPhysical({0, 0, hw::kMaxPhysicalTransfer, buffer.data()});
    EXPECT_EQ(Only().outputSize, hw::kMaxPhysicalTransfer + (vista ? 16 : 0));
    recorder_.sent.clear();
  }
}

TEST_F(RequestBytes, AddMemRecords) {
  Use(false, false, true, 0);
  hw::WritePort8(0x64, 0xB1);
  EXPECT_EQ(Only().code, 0x222034u);
  EXPECT_EQ(Only().input, (Bytes{0x64, 0, 0, 0, 0xB1, 0, 0, 0}));
  EXPECT_EQ(Only().outputSize, 1u);

  recorder_.sent.clear();
  EXPECT_EQ(hw::ReadPort32(0xCFC), 0xA4A3A2A1u);
  EXPECT_EQ(Only().code, 0x222048u);
  EXPECT_EQ(Only().input, (Bytes{0xFC, 0x0C, 0, 0, 0, 0, 0, 0}));

  recorder_.sent.clear();
  uint8_t buffer[5] = {};
  hw::ReadPhysical({0xFFF00000, 0, 5, buffer});
  EXPECT_EQ(Only().code, 0x22204Cu);
  EXPECT_EQ(Only().input, Cat({Le32(0xFFF00000), Le32(0)}));
  EXPECT_EQ(Only().outputSize, 5u);

  recorder_.sent.clear();
  uint8_t data[2] = {0xAB, 0xCD};
  hw::WritePhysical({0x12345678, 0x9, 2, data});
  EXPECT_EQ(Only().code, 0x222050u);
  EXPECT_EQ(Only().input, Cat({Le32(0x12345678), Le32(9), Bytes{0xAB, 0xCD}}));
  EXPECT_EQ(Only().outputSize, 2u);  // the caller's buffer
}

TEST_F(RequestBytes, MemIoVxdRecordsCarryWidthAndValueAddress) {
  Use(false, false, false, 0);
  EXPECT_EQ(hw::ReadPort16(0x404), 0xA2A1);
  const Sent& read = Only();
  EXPECT_EQ(read.code, 0x9C412400u);
  EXPECT_TRUE(read.sameBuffer);
  EXPECT_EQ(read.input, Cat({Le32(0x404), Le32(0), Le32(2),
                             Le32(static_cast<uint32_t>(read.inputAddress + 16))}));

  recorder_.sent.clear();
  hw::WritePort32(0xCF8, 0x8000F840);
  EXPECT_EQ(Only().code, 0x9C412404u);
  uint32_t address;
  std::memcpy(&address, Only().input.data() + 12, 4);
  EXPECT_EQ(Only().input, Cat({Le32(0xCF8), Le32(0), Le32(4), Le32(address)}));
  EXPECT_EQ(notebook().devices().LiveRequestBlocks(), 0u);

  recorder_.sent.clear();
  uint8_t buffer[2] = {};
  hw::ReadPhysical({0xF0000, 0, 2, buffer});
  EXPECT_EQ(Only().code, 0x22204Cu);  // memory goes the ADDMEM way
}

TEST_F(RequestBytes, PciConfigurationAddress) {
  Use(false, false, true, 0);
  hw::ReadPciConfig32(0, 31, 0, 0x40);
  ASSERT_EQ(recorder_.sent.size(), 2u);
  EXPECT_EQ(recorder_.sent[0].input, Cat({Le32(0xCF8), Le32(0x8000F840)}));
  EXPECT_EQ(recorder_.sent[1].input, Cat({Le32(0xCFC), Le32(0)}));
}

TEST_F(RequestBytes, RefusedPortRequestsAreResentWithinTheirBoundAndLoggedOnce) {
  Use(false, false, true, 0);
  recorder_.refuse = true;
  EXPECT_EQ(hw::ReadPort16(0x64), 0xFFFF);
  // The recorder costs no time, so the count bound ends it.
  EXPECT_EQ(recorder_.sent.size(), hw::kRefusedRequestWait.polls);
  EXPECT_TRUE(hw::Hw().portFailed);
  hw::WritePort8(0x64, 1);
  EXPECT_EQ(LogCount("Timeout: driver refused port request"), 1);
  recorder_.refuse = false;
  hw::ReadPort8(0x64);
  recorder_.refuse = true;
  hw::ReadPort8(0x64);
  EXPECT_EQ(LogCount("Timeout: driver refused port request"), 2);  // a new run of refusals
}

}  // namespace
