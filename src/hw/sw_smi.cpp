#include "hw/sw_smi.h"

#include <cstring>
#include <memory>
#include <new>

#include "hw/device_requests.h"
#include "hw/hardware_state.h"
#include "hw/memory_search.h"
#include "hw/wait_limit.h"

namespace hw {
namespace {

constexpr uint32_t kBiosArea = 0xF0000, kBiosAreaSize = 0x10000;
constexpr uint32_t kRecordSize = 21, kDataOffset = 5, kDataSize = 16;
constexpr uint8_t kReplyReady = 0xAA;

}  // namespace

bool LocateSwSmi() {
  HardwareState& hw = Hw();
  hw.swSmiFound = false;
  std::unique_ptr<uint8_t[]> area(new (std::nothrow) uint8_t[kBiosAreaSize]());
  if (!area) return false;
  ReadPhysical(PhysicalRange{kBiosArea, 0, kBiosAreaSize, area.get()});
  const int64_t at = FindInBuffer(area.get(), "SwSmi@", kBiosAreaSize);
  // A record cut off by the end of the area is not one.
  if (at < 0 || at + SwSmiDescriptor::kSize > kBiosAreaSize) return false;
  hw.swSmi = SwSmiDescriptor::Parse(area.get() + at);
  hw.swSmiFound = hw.swSmi.level >= SwSmiDescriptor::kUsableLevel;
  return hw.swSmiFound;
}

bool CallSwSmi(uint16_t command, uint8_t* buffer, uint32_t inputLength) {
  const HardwareState& hw = Hw();
  // Without a usable record the port and the mailbox would be zeros or
  // stale: nothing is written anywhere.
  if (!hw.swSmiFound || inputLength > kDataSize) {
    std::memset(buffer, 0, kDataSize);
    return false;
  }
  const SwSmiDescriptor& smi = hw.swSmi;
  uint8_t record[kRecordSize] = {'C', 'X', static_cast<uint8_t>(command),
                                 static_cast<uint8_t>(command >> 8), 0};
  std::memcpy(record + kDataOffset, buffer, inputLength);
  const PhysicalRange mailbox{smi.MailboxAddress(), 0, kRecordSize, record};

  // A dropped open or trigger ends the call; the close follows in every case.
  bool answered = WritePort8(smi.smiPort, smi.openValue);
  if (answered) {
    WritePhysical(mailbox);
    answered = WritePort8(smi.smiPort, smi.triggerValue);
  }
  WaitLimit limit(kSwSmiWait);
  while (answered) {
    ReadPhysical(mailbox);
    if (record[4] == kReplyReady) break;
    answered = limit.Continue();
  }
  bool closed = false;
  {
    RestoringRequests restoring;
    closed = WritePort8(smi.smiPort, smi.closeValue);
  }
  if (!answered || !closed) {
    std::memset(buffer, 0, kDataSize);
    return false;
  }
  // Up to and including the first zero byte, zeros behind it; sixteen
  // non-zero bytes are copied whole, without a terminator.
  const uint8_t* reply = record + kDataOffset;
  const void* end = std::memchr(reply, 0, kDataSize);
  const size_t copied =
      end ? static_cast<size_t>(static_cast<const uint8_t*>(end) - reply) + 1 : kDataSize;
  std::memcpy(buffer, reply, copied);
  std::memset(buffer + copied, 0, kDataSize - copied);
  return true;
}

}  // namespace hw
