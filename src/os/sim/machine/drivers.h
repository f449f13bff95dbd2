// The four memory-access drivers' request decoders. Each honours exactly
// its own request records and refuses anything else (wrong code, size,
// layout, width or self-pointer), as the real drivers do. The interface is
// the shape of a METHOD_BUFFERED IRP_MJ_DEVICE_CONTROL: one system buffer
// holding the input on entry and the output on return.
#pragma once

#include <stdint.h>

#include "os/sim/machine/machine.h"

namespace machine {

// Access to the calling process's memory, for MEMIO.VXD records that carry
// the address of the caller's value. False when the address is not the
// caller's to use.
struct CallerMemory {
  void* context;
  bool (*read)(void* context, uint32_t address, uint8_t* to, uint32_t size);
  bool (*write)(void* context, uint32_t address, const uint8_t* from, uint32_t size);
};

struct DriverRequest {
  uint32_t code;
  uint8_t* buffer;  // at least the larger of inputSize and outputSize
  uint32_t inputSize;
  uint32_t outputSize;
  bool callerIsWow64;            // a 32-bit caller on 64-bit Windows
  uint64_t callerBufferAddress;  // the caller's address of its output buffer
  const CallerMemory* caller;    // may be null when no record needs it
};

// Largest memory transfer a driver accepts in one request.
constexpr uint32_t kMaxTransfer = 0x200000;

// True when the request was honoured; `*information` gets the number of
// output bytes (IoStatus.Information).
bool HandleRequest(Machine& machine, Driver driver, const DriverRequest& request,
                   uint32_t* information);

}  // namespace machine
