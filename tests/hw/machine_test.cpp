// The simulated drivers refuse records that are not exactly theirs, as the
// real drivers do; otherwise a fault in a request could pass unnoticed.
#include <cstring>
#include <vector>

#include "os/sim/machine/drivers.h"
#include "gtest/gtest.h"

namespace {

using machine::Driver;

class Decoders : public ::testing::Test {
 protected:
  void SetUp() override {
    m_ = std::make_unique<machine::Machine>();
    m_->Reset();
    m_->chipset.cmos[0][0x10] = 0x40;
  }
  bool Send(Driver d, uint32_t code, std::vector<uint8_t> in, uint32_t outSize, bool wow64 = false,
            uint64_t callerAddress = 0) {
    buffer_ = in;
    buffer_.resize(std::max<size_t>(in.size(), outSize));
    const machine::DriverRequest r{code,    buffer_.data(), static_cast<uint32_t>(in.size()),
                                   outSize, wow64,          callerAddress,
                                   nullptr};
    uint32_t info = 0;
    return machine::HandleRequest(*m_, d, r, &info);
  }
  std::unique_ptr<machine::Machine> m_;
  std::vector<uint8_t> buffer_;
};

TEST_F(Decoders, TorqLayoutFollowsTheCallersWidth) {
  const std::vector<uint8_t> narrow = {0x64, 0, 0, 0, 1, 1, 0, 0, 0};
  const std::vector<uint8_t> wide = {0x64, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(Send(Driver::kTorq, 0x9C412008, narrow, 1, false));
  EXPECT_FALSE(Send(Driver::kTorq, 0x9C412008, narrow, 1, true));
  EXPECT_TRUE(Send(Driver::kTorq, 0x9C412008, wide, 1, true));
  EXPECT_FALSE(Send(Driver::kTorq, 0x9C412008, {0x64, 0, 0, 0, 1, 3, 0, 0, 0}, 4));  // width 3
  EXPECT_FALSE(Send(Driver::kTorq, 0x9C412400, narrow, 1));  // another driver's code
  EXPECT_EQ(m_->refused[0], 3u);
}

TEST_F(Decoders, KmdfRecordMustPointAtItsOwnData) {
  std::vector<uint8_t> record = {0x71, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x10, 0x10, 0, 0, 0};
  m_->chipset.Write(0x70, 1, 0x10);
  EXPECT_TRUE(Send(Driver::kKmdfMemIo, 0x9C412400, record, 17, false, 0x1000));
  EXPECT_EQ(buffer_[16], 0x40);
  EXPECT_FALSE(Send(Driver::kKmdfMemIo, 0x9C412400, record, 17, false, 0x2000));
  EXPECT_FALSE(Send(Driver::kKmdfMemIo, 0x9C412408, record, 17, false,
                    0x1000));  // 16-bit code, 1-byte record
}

TEST_F(Decoders, AddMemAndVxdRefuseForeignRecords) {
  EXPECT_TRUE(Send(Driver::kAddMem, 0x222034, {0x70, 0, 0, 0, 0x10, 0, 0, 0}, 1));
  EXPECT_FALSE(Send(Driver::kAddMem, 0x222034, {0x70, 0, 0, 0, 0x10, 0, 0}, 1));
  EXPECT_FALSE(Send(Driver::kAddMem, 0x9C412404, {0x70, 0, 0, 0, 0x10, 0, 0, 0}, 1));
  // Bytes 4 to 7 of a VxD port record are zero; anything else is not ours.
  uint8_t variable = 0x10;  // the caller's value, at address 0x1000
  const machine::CallerMemory caller{
      &variable,
      [](void* c, uint32_t address, uint8_t* to, uint32_t size) {
        if (address != 0x1000 || size != 1) return false;
        *to = *static_cast<uint8_t*>(c);
        return true;
      },
      [](void* c, uint32_t address, const uint8_t* from, uint32_t size) {
        if (address != 0x1000 || size != 1) return false;
        *static_cast<uint8_t*>(c) = *from;
        return true;
      }};
  for (uint8_t byte4 : {0, 1}) {
    buffer_ = {0x70, 0, 0, 0, byte4, 0, 0, 0, 1, 0, 0, 0, 0x00, 0x10, 0, 0};
    const machine::DriverRequest r{0x9C412404, buffer_.data(), 16, 16, false, 0, &caller};
    uint32_t info = 0;
    EXPECT_EQ(machine::HandleRequest(*m_, Driver::kMemIoVxd, r, &info), byte4 == 0) << int{byte4};
  }
}

TEST_F(Decoders, VxdReadToAnAddressNotTheCallersTouchesNoPort) {
  const machine::CallerMemory refusing{
      nullptr, [](void*, uint32_t, uint8_t*, uint32_t) { return false; },
      [](void*, uint32_t, const uint8_t*, uint32_t) { return false; }};
  buffer_ = {0x64, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x00, 0x10, 0, 0};
  const machine::DriverRequest r{0x9C412400, buffer_.data(), 16, 16, false, 0, &refusing};
  uint32_t info = 0;
  EXPECT_FALSE(machine::HandleRequest(*m_, Driver::kMemIoVxd, r, &info));
  EXPECT_EQ(m_->refused[static_cast<int>(Driver::kMemIoVxd)], 1u);
  EXPECT_EQ(m_->requests[static_cast<int>(Driver::kMemIoVxd)], 0u);
}

TEST(MachineModel, MailboxRefusesWritesWhileBusy) {
  auto m = std::make_unique<machine::Machine>();
  m->Reset();
  m->superIo.present = true;
  m->superIo.mailboxBase = 0x900;
  m->superIo.mailboxBehaviour = {machine::Behaviour::kSlow, 100};
  m->WritePort(0x900, 1, 0x84);
  m->WritePort(0x901, 1, 0x11);
  m->WritePort(0x900, 1, 0x82);
  m->WritePort(0x901, 1, 0x30);  // the command: busy for 100 us
  m->WritePort(0x900, 1, 0x84);
  m->WritePort(0x901, 1, 0x22);  // lost
  EXPECT_EQ(m->superIo.violations, 1u);
  EXPECT_EQ(m->superIo.registers[0x84], 0x11);
  m->SetTime(1000);
  EXPECT_EQ(m->ReadPort(0x901, 1), 0x11u);
  EXPECT_EQ(m->superIo.lastData[0], 0x11);
}

TEST(MachineModel, KeyboardControllerLosesBytesWrittenIntoAFullInputBuffer) {
  auto m = std::make_unique<machine::Machine>();
  m->Reset();
  m->kbc.behaviour = {machine::Behaviour::kSlow, 100};
  m->WritePort(0x64, 1, 0xB1);
  m->WritePort(0x64, 1, 0xBE);  // no wait in between
  m->SetTime(1000);
  EXPECT_EQ(m->kbc.violations, 1u);
  EXPECT_EQ(m->ReadPort(0x64, 1) & 2, 0u);
  EXPECT_TRUE(m->kbc.held);
}

}  // namespace
