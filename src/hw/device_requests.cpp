#include "hw/device_requests.h"

#include <cstring>
#include <vector>

#include "hw/driver_loading.h"
#include "hw/hardware_state.h"
#include "hw/wait_limit.h"
#include "os/little_endian.h"
#include "os/os.h"

namespace hw {
namespace {

constexpr uint8_t kDirectionWrite = 0, kDirectionRead = 1;
constexpr uint32_t kKmdfHeader = 16;
constexpr uint32_t kVxdRecord = 16;

uint32_t AllOnes(uint32_t width) {
  return width == 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
}

using little_endian::LoadWidth;
using little_endian::Store32;
using little_endian::Store64;
using little_endian::StoreWidth;

// The 32-bit address of request memory (below 4 GiB in every build).
uint32_t Address32(const void* p) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

// Writes the TORQ record's header (address, direction, length) in the
// layout of this process: 9 bytes, or 17 for a 32-bit process on 64-bit
// Windows. Gives the header's size.
uint32_t TorqHeader(uint8_t* record, uint64_t address, uint8_t direction, uint32_t length) {
  if (Hw().isWow64) {
    Store64(record, address);
    record[8] = direction;
    Store64(record + 9, length);
    return 17;
  }
  Store32(record, static_cast<uint32_t>(address));  // the high half is dropped
  record[4] = direction;
  Store32(record + 5, length);
  return 9;
}

// Sends a port request on the open handle, again at once while the driver
// refuses it, within kRefusedRequestWait. False when it never went through.
bool SendPortRequest(uint32_t code, const void* input, uint32_t inputSize, void* output,
                     uint32_t outputSize) {
  HardwareState& hw = Hw();
  WaitLimit limit(kRefusedRequestWait);
  uint32_t returned = 0;
  while (!os::Os().devices->Control(hw.device, code, input, inputSize, output, outputSize,
                                    &returned)) {
    if (!limit.Continue(hw.refusalLogged)) {
      hw.refusalLogged = true;
      hw.portFailed = true;
      return false;
    }
  }
  hw.refusalLogged = false;
  return true;
}

// One port access in the format of the current driver. Reads give the
// value; a failed read gives all ones.
uint32_t PortAccess(bool read, uint32_t width, uint32_t port, uint32_t value) {
  HardwareState& hw = Hw();
  switch (CurrentDriverKind()) {
    case DriverKind::Torq: {
      uint8_t record[17 + 4] = {};
      const uint32_t header =
          TorqHeader(record, port, read ? kDirectionRead : kDirectionWrite, width);
      if (!read) StoreWidth(record + header, width, value);
      uint8_t out[4] = {};
      if (!SendPortRequest(code::kTorqPort, record, read ? header : header + width, out, width))
        return AllOnes(width);
      return read ? LoadWidth(out, width) : 0;
    }
    case DriverKind::KmdfMemIo: {
      static constexpr uint32_t kRead[] = {0, code::kKmdfReadPort8, code::kKmdfReadPort16, 0,
                                           code::kKmdfReadPort32};
      static constexpr uint32_t kWrite[] = {0, code::kKmdfWritePort8, code::kKmdfWritePort16, 0,
                                            code::kKmdfWritePort32};
      if (!OpenKmdfDevice()) {
        hw.portFailed = true;
        return AllOnes(width);
      }
      uint8_t* block =
          static_cast<uint8_t*>(os::Os().devices->AllocateRequest(kKmdfHeader + width));
      bool sent = false;
      uint32_t result = AllOnes(width);
      if (block) {
        Store32(block, port);
        Store32(block + 8, width);
        Store32(block + 12, Address32(block + kKmdfHeader));
        if (!read) StoreWidth(block + kKmdfHeader, width, value);
        uint32_t returned = 0;
        // Sent once: this driver's requests are not repeated.
        sent =
            os::Os().devices->Control(hw.device, read ? kRead[width] : kWrite[width], block,
                                      kKmdfHeader + width, block, kKmdfHeader + width, &returned);
        if (sent && read) result = LoadWidth(block + kKmdfHeader, width);
        os::Os().devices->FreeRequest(block);
      }
      CloseDriver();
      if (!sent) hw.portFailed = true;
      return read ? result : 0;
    }
    case DriverKind::AddMem: {
      static constexpr uint32_t kRead[] = {0, code::kAddMemReadPort8, code::kAddMemReadPort16, 0,
                                           code::kAddMemReadPort32};
      static constexpr uint32_t kWrite[] = {0, code::kAddMemWritePort8, code::kAddMemWritePort16, 0,
                                            code::kAddMemWritePort32};
      uint8_t record[8] = {};
      Store32(record, port);
      if (!read) StoreWidth(record + 4, width, value);
      uint8_t out[4] = {};
      if (!SendPortRequest(read ? kRead[width] : kWrite[width], record, sizeof record, out, width))
        return AllOnes(width);
      return read ? LoadWidth(out, width) : 0;
    }
    case DriverKind::MemIoVxd: {
      // The record names the caller's variable by its 32-bit address, so it
      // and the variable live in request memory.
      uint8_t* block = static_cast<uint8_t*>(os::Os().devices->AllocateRequest(kVxdRecord + 4));
      if (!block) {
        hw.portFailed = true;
        return AllOnes(width);
      }
      uint8_t* variable = block + kVxdRecord;
      Store32(block, port);
      Store32(block + 8, width);  // as the KMDFMEMIO record carries it
      Store32(block + 12, Address32(variable));
      if (!read) StoreWidth(variable, width, value);
      const bool sent = SendPortRequest(read ? code::kVxdReadPort : code::kVxdWritePort, block,
                                        kVxdRecord, block, kVxdRecord);
      const uint32_t result = sent ? LoadWidth(variable, width) : AllOnes(width);
      os::Os().devices->FreeRequest(block);
      return read ? result : 0;
    }
  }
  return AllOnes(width);
}

uint64_t Address64(const PhysicalRange& range) {
  return uint64_t{range.addressHigh} << 32 | range.addressLow;
}

// Sends a memory request once; with KMDFMEMIO the device is opened and
// closed around it and the data travels in the record. False when the
// driver did not carry it out.
bool MemoryAccess(bool read, const PhysicalRange& range) {
  HardwareState& hw = Hw();
  uint32_t returned = 0;
  auto* data = static_cast<uint8_t*>(range.buffer);
  switch (CurrentDriverKind()) {
    case DriverKind::Torq: {
      const uint32_t headerMax = 17;
      std::vector<uint8_t> record(headerMax + (read ? 0 : range.length));
      const uint32_t header = TorqHeader(record.data(), Address64(range),
                                         read ? kDirectionRead : kDirectionWrite, range.length);
      if (!read) std::memcpy(record.data() + header, data, range.length);
      return os::Os().devices->Control(hw.device, code::kTorqMemory, record.data(),
                                       read ? header : header + range.length, data, range.length,
                                       &returned);
    }
    case DriverKind::KmdfMemIo: {
      if (!OpenKmdfDevice()) return false;
      bool sent = false;
      auto* block =
          static_cast<uint8_t*>(os::Os().devices->AllocateRequest(kKmdfHeader + range.length));
      if (block) {
        Store32(block + 4, range.addressLow);
        Store32(block + 8, range.length);
        Store32(block + 12, Address32(block + kKmdfHeader));
        if (!read) std::memcpy(block + kKmdfHeader, data, range.length);
        sent = os::Os().devices->Control(
            hw.device, read ? code::kKmdfReadMemory : code::kKmdfWriteMemory, block,
            kKmdfHeader + range.length, block, kKmdfHeader + range.length, &returned);
        // A refused read must not pass the record's empty data area off as memory.
        if (sent && read) std::memcpy(data, block + kKmdfHeader, range.length);
        os::Os().devices->FreeRequest(block);
      }
      CloseDriver();
      return sent;
    }
    case DriverKind::AddMem:
    case DriverKind::MemIoVxd: {
      std::vector<uint8_t> record(8 + (read ? 0 : range.length));
      Store32(record.data(), range.addressLow);
      Store32(record.data() + 4, range.addressHigh);
      if (read)
        return os::Os().devices->Control(hw.device, code::kAddMemReadMemory, record.data(), 8, data,
                                         range.length, &returned);
      std::memcpy(record.data() + 8, data, range.length);
      return os::Os().devices->Control(hw.device, code::kAddMemWriteMemory, record.data(),
                                       static_cast<uint32_t>(record.size()), data, range.length,
                                       &returned);
    }
  }
  return false;
}

}  // namespace

uint8_t ReadPort8(uint32_t port) {
  return static_cast<uint8_t>(PortAccess(true, 1, port, 0));
}
uint16_t ReadPort16(uint32_t port) {
  return static_cast<uint16_t>(PortAccess(true, 2, port, 0));
}
uint32_t ReadPort32(uint32_t port) {
  return PortAccess(true, 4, port, 0);
}
void WritePort8(uint32_t port, uint8_t value) {
  PortAccess(false, 1, port, value);
}
void WritePort16(uint32_t port, uint16_t value) {
  PortAccess(false, 2, port, value);
}
void WritePort32(uint32_t port, uint32_t value) {
  PortAccess(false, 4, port, value);
}

bool ReadPhysical(PhysicalRange range) {
  return range.length && range.buffer && MemoryAccess(true, range);
}

void WritePhysical(PhysicalRange range) {
  if (range.length && range.buffer) MemoryAccess(false, range);
}

}  // namespace hw
