// The exact bytes each primitive hands to each driver: recorded at the
// device seam, answered with a fixed value.
#include <cstring>
#include <functional>
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

// Hex bytes, blanks ignored; "SELF" stands for the 32-bit address of the
// record's own offset 16 (KMDFMEMIO's data, MEMIO.VXD's variable), which only
// the request knows.
const Bytes kSelf = {0x5E, 0x1F, 0x5E, 0x1F};
Bytes Hex(const std::string& text) {
  Bytes bytes;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == ' ') {
      ++i;
    } else if (text.compare(i, 4, "SELF") == 0) {
      bytes.insert(bytes.end(), kSelf.begin(), kSelf.end());
      i += 4;
    } else {
      bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
      i += 2;
    }
  }
  return bytes;
}

enum class Kind { kTorq64, kTorq32, kKmdf, kAddMem, kVxd };

class RequestBytes : public hwtest::HwTest {
 protected:
  // A notebook for time, files and request memory; the recorder as driver.
  void Use(Kind kind) {
    Boot("win7-x64-phoenix.json");
    recorder_ = RecordingDevices{};
    recorder_.real = &notebook().devices();
    os::Platform p = notebook().Platform();
    p.devices = &recorder_;
    os::InstallPlatform(p);
    hw::HardwareState& s = hw::Hw();
    s.versionProbed = true;
    s.isWindowsVista = kind == Kind::kKmdf;
    s.isWindows7 = kind == Kind::kTorq64 || kind == Kind::kTorq32;
    s.isNt = kind != Kind::kVxd;
    s.isWow64 = kind == Kind::kTorq64 || kind == Kind::kKmdf;
    s.device = 7;
  }
  const Sent& Only() {
    EXPECT_EQ(recorder_.sent.size(), 1u);
    return recorder_.sent.back();
  }
  RecordingDevices recorder_;
};

// A memory read into a zeroed buffer, whose first four bytes it gives; a
// write of `length` bytes of "CX\x04".
uint32_t ReadMemory(uint32_t low, uint32_t high, uint32_t length) {
  uint8_t buffer[4] = {};
  hw::ReadPhysical(hw::PhysicalRange{low, high, length, buffer});
  return uint32_t{buffer[0]} | buffer[1] << 8 | buffer[2] << 16 | uint32_t{buffer[3]} << 24;
}
uint32_t WriteMemory(uint32_t low, uint32_t high, uint32_t length) {
  uint8_t data[3] = {'C', 'X', 4};
  hw::WritePhysical(hw::PhysicalRange{low, high, length, data});
  return 0;
}

// Every primitive on every driver: the code, the input record byte for byte,
// the output buffer's size, and the value the read hands back.
TEST_F(RequestBytes, EachPrimitiveSendsItsDriversRecord) {
  const struct {
    const char* what;
    Kind kind;
    std::function<uint32_t()> operation;  // the value read, 0 for a write that went through
    uint32_t code;
    const char* input;
    uint32_t outputSize;
    uint32_t result;
  } rows[] = {
      {"torq 64 port read", Kind::kTorq64, [] { return hw::ReadPort8(0x64); }, 0x9C412008,
       "6400000000000000 01 0100000000000000", 1, 0xA1},
      {"torq 32 port read", Kind::kTorq32, [] { return hw::ReadPort16(0x1234); }, 0x9C412008,
       "34120000 01 02000000", 2, 0xA2A1},
      {"torq 32 port write", Kind::kTorq32, [] { return hw::WritePort16(0x72, 0xBEEF) - 1u; },
       0x9C412008, "72000000 00 02000000 EFBE", 2, 0},
      {"torq 64 port write", Kind::kTorq64, [] { return hw::WritePort32(0xCF8, 0x8000F840) - 1u; },
       0x9C412008, "F80C000000000000 00 0400000000000000 40F80080", 4, 0},
      {"torq 64 memory read", Kind::kTorq64, [] { return ReadMemory(0xF0000, 1, 4); }, 0x9C41200C,
       "00000F0001000000 01 0400000000000000", 4, 0xA4A3A2A1},
      {"torq 32 memory write, the high half dropped", Kind::kTorq32,
       [] { return WriteMemory(0xFF800, 1, 3); }, 0x9C41200C, "00F80F00 00 03000000 435804", 3, 0},
      {"kmdf port read", Kind::kKmdf, [] { return hw::ReadPort16(0x430); }, 0x9C412408,
       "30040000 00000000 02000000 SELF 0000", 18, 0xA2A1},
      {"kmdf port write", Kind::kKmdf, [] { return hw::WritePort8(0x70, 0x2F) - 1u; }, 0x9C412404,
       "70000000 00000000 01000000 SELF 2F", 17, 0},
      {"kmdf memory read", Kind::kKmdf, [] { return ReadMemory(0xF0010, 0, 3); }, 0x9C412800,
       "00000000 10000F00 03000000 SELF 000000", 19, 0xA3A2A1},
      {"addmem port write", Kind::kAddMem, [] { return hw::WritePort8(0x64, 0xB1) - 1u; }, 0x222034,
       "64000000 B1000000", 1, 0},
      {"addmem port read", Kind::kAddMem, [] { return hw::ReadPort32(0xCFC); }, 0x222048,
       "FC0C0000 00000000", 4, 0xA4A3A2A1},
      {"addmem memory read", Kind::kAddMem, [] { return ReadMemory(0xFFF00000, 0, 4); }, 0x22204C,
       "0000F0FF 00000000", 4, 0xA4A3A2A1},
      {"addmem memory write", Kind::kAddMem, [] { return WriteMemory(0x12345678, 9, 2); }, 0x222050,
       "78563412 09000000 4358", 2, 0},
      {"vxd port read", Kind::kVxd, [] { return hw::ReadPort16(0x404); }, 0x9C412400,
       "04040000 00000000 02000000 SELF", 16, 0xA2A1},
      {"vxd port write", Kind::kVxd, [] { return hw::WritePort32(0xCF8, 0x8000F840) - 1u; },
       0x9C412404, "F80C0000 00000000 04000000 SELF", 16, 0},
      {"vxd memory read goes the ADDMEM way", Kind::kVxd, [] { return ReadMemory(0xF0000, 0, 2); },
       0x22204C, "00000F00 00000000", 2, 0xA2A1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Use(row.kind);
    EXPECT_EQ(row.operation(), row.result);
    const Sent& sent = Only();
    EXPECT_EQ(sent.code, row.code);
    Bytes expected = Hex(row.input);
    // The record names its own offset 16, and is then also the output.
    const bool self = expected.size() >= 16 && Bytes(&expected[12], &expected[16]) == kSelf;
    if (self) {
      const uint32_t address = static_cast<uint32_t>(sent.inputAddress + 16);
      for (int i = 0; i < 4; ++i) expected[12 + i] = static_cast<uint8_t>(address >> (8 * i));
    }
    EXPECT_EQ(sent.input, expected);
    EXPECT_EQ(sent.outputSize, row.outputSize);
    EXPECT_EQ(sent.sameBuffer, self);
    EXPECT_EQ(notebook().devices().LiveRequestBlocks(), 0u);
  }
}

TEST_F(RequestBytes, KmdfOpensPerRequestAndReadsAllOnesWhenItCannot) {
  Use(Kind::kKmdf);
  hw::ReadPort16(0x430);
  EXPECT_EQ(recorder_.opens, 1);
  EXPECT_EQ(recorder_.closes, 1);
  EXPECT_EQ(hw::Hw().device, os::kInvalidDevice);

  // A request the driver refuses is sent once, never again.
  recorder_.refuse = true;
  EXPECT_EQ(hw::ReadPort16(0x430), 0xFFFF);
  EXPECT_TRUE(hw::Hw().portFailed);
  EXPECT_EQ(recorder_.sent.size(), 2u);

  // A device that does not open: ten opens 50 ms apart per request.
  recorder_.openFails = true;
  recorder_.sent.clear();
  const uint64_t before = notebook().clock().Micros();
  EXPECT_EQ(hw::ReadPort8(0x64), 0xFF);
  EXPECT_EQ(hw::ReadPort32(0xCFC), 0xFFFFFFFFu);
  EXPECT_EQ(recorder_.opens, 22);
  EXPECT_GE(notebook().clock().Micros() - before, 2 * 500000u);
  uint8_t buffer[2] = {0x11, 0x22};
  hw::ReadPhysical({0xF0000, 0, 2, buffer});
  EXPECT_EQ(buffer[0], 0x11);  // the caller's buffer as it was
  EXPECT_TRUE(recorder_.sent.empty());
}

// Record sizes are 32-bit sums: a length near 4 GiB would wrap them.
TEST_F(RequestBytes, MemoryRangesBeyondSixteenMebibytesAreNotSent) {
  for (Kind kind : {Kind::kTorq64, Kind::kKmdf}) {
    Use(kind);
    std::vector<uint8_t> buffer(hw::kMaxPhysicalTransfer + 1);
    hw::ReadPhysical({0, 0, hw::kMaxPhysicalTransfer + 1, buffer.data()});
    hw::WritePhysical({0, 0, hw::kMaxPhysicalTransfer + 1, buffer.data()});
    hw::WritePhysical({0, 0, 0xFFFFFFF8u, buffer.data()});
    EXPECT_EQ(hw::FindSignature(0, 0xFFFFFFF0u, "DEVEL", 1), 0u);
    EXPECT_TRUE(recorder_.sent.empty());
    hw::ReadPhysical({0, 0, hw::kMaxPhysicalTransfer, buffer.data()});
    EXPECT_EQ(Only().outputSize, hw::kMaxPhysicalTransfer + (kind == Kind::kKmdf ? 16 : 0));
  }
}

TEST_F(RequestBytes, PciConfigurationAddress) {
  Use(Kind::kAddMem);
  hw::ReadPciConfig32(0, 31, 0, 0x40);
  ASSERT_EQ(recorder_.sent.size(), 2u);
  EXPECT_EQ(recorder_.sent[0].input, Hex("F80C0000 40F80080"));
  EXPECT_EQ(recorder_.sent[1].input, Hex("FC0C0000 00000000"));
}

TEST_F(RequestBytes, RefusedPortRequestsAreResentWithinTheirBoundAndLoggedOnce) {
  Use(Kind::kAddMem);
  recorder_.refuse = true;
  EXPECT_EQ(hw::ReadPort16(0x64), 0xFFFF);
  // The recorder costs no time, so the count bound ends it.
  EXPECT_EQ(recorder_.sent.size(), hw::kRefusedRequestWait.polls);
  EXPECT_TRUE(hw::Hw().portFailed);
  EXPECT_FALSE(hw::WritePort8(0x64, 1));
  EXPECT_EQ(LogCount("Timeout: driver refused port request"), 1);
  recorder_.refuse = false;
  hw::ReadPort8(0x64);
  recorder_.refuse = true;
  hw::ReadPort8(0x64);
  EXPECT_EQ(LogCount("Timeout: driver refused port request"), 2);  // a new run of refusals
}

}  // namespace
