#include "os/sim/machine/drivers.h"

#include "os/sim/machine/bytes.h"

namespace machine {
namespace {

bool ValidWidth(uint64_t width) {
  return width == 1 || width == 2 || width == 4;
}

// Shared tail of every decoder: do the port access, or refuse it when the
// machine is set to refuse.
bool PortAccess(Machine& m, Driver driver, uint32_t code, bool read, uint64_t port, uint32_t width,
                uint32_t* value) {
  if (port > 0xFFFF || !ValidWidth(width) || m.RefusePortRequest()) {
    m.Record({driver, RequestRecord::kRefused, static_cast<uint8_t>(width), code, port, 0});
    return false;
  }
  if (read)
    *value = m.ReadPort(static_cast<uint16_t>(port), width);
  else
    m.WritePort(static_cast<uint16_t>(port), width, *value);
  m.Record({driver, read ? RequestRecord::kPortRead : RequestRecord::kPortWrite,
            static_cast<uint8_t>(width), code, port, *value});
  return true;
}

bool Refuse(Machine& m, Driver driver, uint32_t code) {
  m.Record({driver, RequestRecord::kRefused, 0, code, 0, 0});
  return false;
}

// The shared tail of the memory requests: false when refused.
bool Memory(Machine& m, Driver driver, uint32_t code, bool read, uint64_t address, uint8_t* data,
            uint32_t length) {
  if (read && m.RefuseMemoryRead(address, length)) return Refuse(m, driver, code);
  if (read)
    m.ReadMemory(address, data, length);
  else
    m.WriteMemory(address, data, length);
  m.Record({driver, read ? RequestRecord::kMemoryRead : RequestRecord::kMemoryWrite, 0, code,
            address, length});
  return true;
}

bool Torq(Machine& m, const DriverRequest& r, uint32_t* information) {
  constexpr uint32_t kPorts = 0x9C412008, kMemory = 0x9C41200C;
  const Driver d = Driver::kTorq;
  if (r.code != kPorts && r.code != kMemory) return Refuse(m, d, r.code);
  const bool wide = r.callerIsWow64;
  const uint32_t header = wide ? 17 : 9;
  if (r.inputSize < header) return Refuse(m, d, r.code);
  const uint64_t address = wide ? Load64(r.buffer) : Load32(r.buffer);
  const uint8_t direction = r.buffer[wide ? 8 : 4];
  const uint64_t length = wide ? Load64(r.buffer + 9) : Load32(r.buffer + 5);
  if (direction > 1 || length == 0 || length > kMaxTransfer) return Refuse(m, d, r.code);
  const bool read = direction == 1;
  const uint32_t n = static_cast<uint32_t>(length);
  if (read ? (r.inputSize != header || r.outputSize < n) : r.inputSize != header + n)
    return Refuse(m, d, r.code);
  if (r.code == kPorts) {
    uint32_t value = read ? 0 : LoadWidth(r.buffer + header, n);
    if (!PortAccess(m, d, r.code, read, address, n, &value)) return false;
    if (read) StoreWidth(r.buffer, n, value);
    *information = read ? n : 0;
    return true;
  }
  if (!Memory(m, d, r.code, read, address, read ? r.buffer : r.buffer + header, n)) return false;
  *information = read ? n : 0;
  return true;
}

bool KmdfMemIo(Machine& m, const DriverRequest& r, uint32_t* information) {
  const Driver d = Driver::kKmdfMemIo;
  struct Code {
    uint32_t code;
    bool port, read;
    uint32_t width;
  };
  static const Code kCodes[] = {
      {0x9C412400, true, true, 1},  {0x9C412404, true, false, 1},  {0x9C412408, true, true, 2},
      {0x9C41240C, true, false, 2}, {0x9C412410, true, true, 4},   {0x9C412414, true, false, 4},
      {0x9C412800, false, true, 0}, {0x9C412804, false, false, 0},
  };
  const Code* c = nullptr;
  for (const Code& k : kCodes)
    if (k.code == r.code) c = &k;
  if (!c || r.inputSize < 16) return Refuse(m, d, r.code);
  const uint32_t length = Load32(r.buffer + 8);
  if (length == 0 || length > kMaxTransfer || r.inputSize != 16 + length ||
      r.outputSize != 16 + length) {
    return Refuse(m, d, r.code);
  }
  if (c->port && length != c->width) return Refuse(m, d, r.code);
  // The record points at its own data area in the caller's memory.
  if (r.callerBufferAddress > 0xFFFFFFF0u || Load32(r.buffer + 12) != r.callerBufferAddress + 16) {
    return Refuse(m, d, r.code);
  }
  uint8_t* data = r.buffer + 16;
  if (c->port) {
    uint32_t value = c->read ? 0 : LoadWidth(data, length);
    if (!PortAccess(m, d, r.code, c->read, Load32(r.buffer), length, &value)) return false;
    if (c->read) StoreWidth(data, length, value);
  } else if (!Memory(m, d, r.code, c->read, Load32(r.buffer + 4), data, length)) {
    return false;
  }
  *information = 16 + length;
  return true;
}

bool AddMemMemory(Machine& m, Driver d, const DriverRequest& r, uint32_t* information) {
  if (r.inputSize < 8) return Refuse(m, d, r.code);
  const uint64_t address = Load64(r.buffer);
  if (r.code == 0x22204C) {
    if (r.inputSize != 8 || r.outputSize == 0 || r.outputSize > kMaxTransfer)
      return Refuse(m, d, r.code);
    if (!Memory(m, d, r.code, true, address, r.buffer, r.outputSize)) return false;
    *information = r.outputSize;
    return true;
  }
  const uint32_t length = r.inputSize - 8;
  if (length == 0 || length > kMaxTransfer) return Refuse(m, d, r.code);
  if (!Memory(m, d, r.code, false, address, r.buffer + 8, length)) return false;
  *information = 0;
  return true;
}

bool AddMem(Machine& m, const DriverRequest& r, uint32_t* information) {
  const Driver d = Driver::kAddMem;
  if (r.code == 0x22204C || r.code == 0x222050) return AddMemMemory(m, d, r, information);
  struct Code {
    uint32_t code;
    bool read;
    uint32_t width;
  };
  static const Code kCodes[] = {{0x222038, true, 1},  {0x222034, false, 1}, {0x222040, true, 2},
                                {0x22203C, false, 2}, {0x222048, true, 4},  {0x222044, false, 4}};
  const Code* c = nullptr;
  for (const Code& k : kCodes)
    if (k.code == r.code) c = &k;
  if (!c || r.inputSize != 8 || r.outputSize < c->width) return Refuse(m, d, r.code);
  uint32_t value = c->read ? 0 : LoadWidth(r.buffer + 4, c->width);
  if (!PortAccess(m, d, r.code, c->read, Load32(r.buffer), c->width, &value)) return false;
  if (c->read) StoreWidth(r.buffer, c->width, value);
  *information = c->read ? c->width : 0;
  return true;
}

bool MemIoVxd(Machine& m, const DriverRequest& r, uint32_t* information) {
  const Driver d = Driver::kMemIoVxd;
  if (r.code == 0x22204C || r.code == 0x222050) return AddMemMemory(m, d, r, information);
  const bool read = r.code == 0x9C412400;
  if ((!read && r.code != 0x9C412404) || r.inputSize != 16 || r.outputSize != 16 || !r.caller) {
    return Refuse(m, d, r.code);
  }
  const uint32_t width = Load32(r.buffer + 8);
  if (Load32(r.buffer + 4) != 0 || !ValidWidth(width)) return Refuse(m, d, r.code);
  const uint32_t valueAddress = Load32(r.buffer + 12);
  uint8_t bytes[4] = {};
  // The caller's variable is checked before the port is touched, so a bad
  // address refuses the request without a port read's side effects.
  if (!r.caller->read(r.caller->context, valueAddress, bytes, width)) return Refuse(m, d, r.code);
  uint32_t value = LoadWidth(bytes, width);
  if (!PortAccess(m, d, r.code, read, Load32(r.buffer), width, &value)) return false;
  if (read) {
    StoreWidth(bytes, width, value);
    if (!r.caller->write(r.caller->context, valueAddress, bytes, width)) return false;
  }
  *information = 16;
  return true;
}

}  // namespace

bool HandleRequest(Machine& machine, Driver driver, const DriverRequest& request,
                   uint32_t* information) {
  *information = 0;
  switch (driver) {
    case Driver::kTorq:
      return Torq(machine, request, information);
    case Driver::kKmdfMemIo:
      return KmdfMemIo(machine, request, information);
    case Driver::kAddMem:
      return AddMem(machine, request, information);
    case Driver::kMemIoVxd:
      return MemIoVxd(machine, request, information);
  }
  return false;
}

}  // namespace machine
