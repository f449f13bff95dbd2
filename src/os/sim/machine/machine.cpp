#include "os/sim/machine/machine.h"

namespace machine {
namespace {
constexpr uint16_t kKbcData = 0x60, kKbcCommand = 0x64;
}

void Machine::Reset() {
  memory.Reset();
  kbc.Reset();
  superIo.Reset();
  chipset.Reset();
  smi.Reset();
  disks.Reset();
  refusePortRequests = 0;
  refuseMemoryRead = false;
  refuseMemoryReadAt = 0;
  for (int i = 0; i < 4; ++i) requests[i] = refused[i] = 0;
  logged = 0;
  now_ = 0;
}

bool Machine::RefusePortRequest() {
  if (refusePortRequests == 0) return false;
  if (refusePortRequests != kRefuseAll) --refusePortRequests;
  return true;
}

bool Machine::RefuseMemoryRead(uint64_t address, uint32_t length) const {
  return refuseMemoryRead && refuseMemoryReadAt >= address && refuseMemoryReadAt - address < length;
}

void Machine::Record(const RequestRecord& record) {
  const int driver = static_cast<int>(record.driver);
  if (record.kind == RequestRecord::kRefused)
    ++refused[driver];
  else
    ++requests[driver];
  log[logged % kLogSize] = record;
  ++logged;
}

uint8_t Machine::ReadByte(uint16_t port) {
  if (port == kKbcData) return kbc.ReadData(now_);
  if (port == kKbcCommand) return kbc.ReadStatus(now_);
  if (superIo.Claims(port)) return superIo.Read(port, now_);
  return 0xFF;
}

void Machine::WriteByte(uint16_t port, uint8_t value) {
  if (port == kKbcData)
    kbc.WriteData(value, now_);
  else if (port == kKbcCommand)
    kbc.WriteCommand(value, now_);
  else if (smi.Claims(port))
    smi.Write(value, now_, memory);
  else if (superIo.Claims(port))
    superIo.Write(port, value, now_);
}

uint32_t Machine::ReadPort(uint16_t port, uint32_t width) {
  if (chipset.Claims(port)) return chipset.Read(port, width);
  // Wider accesses to byte devices reach consecutive ports, as on the bus.
  uint32_t value = 0;
  for (uint32_t i = 0; i < width && i < 4; ++i) {
    value |= static_cast<uint32_t>(ReadByte(static_cast<uint16_t>(port + i))) << (8 * i);
  }
  return value;
}

void Machine::WritePort(uint16_t port, uint32_t width, uint32_t value) {
  if (chipset.Claims(port)) {
    chipset.Write(port, width, value);
    return;
  }
  for (uint32_t i = 0; i < width && i < 4; ++i) {
    WriteByte(static_cast<uint16_t>(port + i), static_cast<uint8_t>(value >> (8 * i)));
  }
}

void Machine::ReadMemory(uint64_t address, uint8_t* to, uint32_t length) {
  smi.Settle(now_, memory);
  memory.Read(address, to, length);
}

void Machine::WriteMemory(uint64_t address, const uint8_t* from, uint32_t length) {
  smi.Settle(now_, memory);
  memory.Write(address, from, length);
}

}  // namespace machine
