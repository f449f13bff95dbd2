// The C++ side of a test driver: the hardware model behind the C glue.
#include "driver_core.h"

#include "machine_file.h"
#include "os/sim/machine/drivers.h"

namespace {

// The clock and its step live behind the machine, in the same storage.
struct DriverMachine {
  machine::Machine machine;
  uint64_t now;
  uint32_t requestMicros;
  // What the last state write saw, to tell whether memory changed since.
  bool saved;
  uint32_t savedLogged;
  uint32_t savedAnswers;
};

DriverMachine& At(void* storage) {
  return *static_cast<DriverMachine*>(storage);
}

struct CallerBridge {
  const OrvCaller* caller;
  static bool Read(void* context, uint32_t address, uint8_t* to, uint32_t size) {
    const OrvCaller* c = static_cast<CallerBridge*>(context)->caller;
    return c->read(c->context, address, to, size) != 0;
  }
  static bool Write(void* context, uint32_t address, const uint8_t* from, uint32_t size) {
    const OrvCaller* c = static_cast<CallerBridge*>(context)->caller;
    return c->write(c->context, address, from, size) != 0;
  }
};

}  // namespace

static_assert(ORV_FILE_HEADER_SIZE == machine_file::kHeaderSize);
static_assert(ORV_DRIVER_TORQ == static_cast<int>(machine::Driver::kTorq) &&
              ORV_DRIVER_KMDFMEMIO == static_cast<int>(machine::Driver::kKmdfMemIo) &&
              ORV_DRIVER_ADDMEM == static_cast<int>(machine::Driver::kAddMem) &&
              ORV_DRIVER_MEMIOVXD == static_cast<int>(machine::Driver::kMemIoVxd) &&
              ORV_DRIVER_DISKS == machine_file::kDiskDriver);

extern "C" size_t OrvStorageSize(void) {
  return sizeof(DriverMachine);
}
extern "C" size_t OrvModelSize(void) {
  return sizeof(machine::Machine);
}

extern "C" const char* OrvCheckImage(void* storage, const uint8_t header[ORV_FILE_HEADER_SIZE],
                                     uint64_t fileSize) {
  machine_file::Header unused;
  const machine_file::Fault fault = machine_file::ReadHeader(At(storage).machine, header, fileSize,
                                                             machine_file::Kind::kImage, &unused);
  return fault == machine_file::Fault::kNone ? nullptr : machine_file::Describe(fault);
}

extern "C" void OrvMachineAdopt(void* storage, const uint8_t header[ORV_FILE_HEADER_SIZE]) {
  DriverMachine& d = At(storage);
  machine_file::Header h;
  machine_file::ReadHeader(d.machine, header, machine_file::kFileSize, machine_file::Kind::kImage,
                           &h);
  d.requestMicros = h.requestMicros;
  d.now = d.machine.Now();
  d.saved = false;
}

extern "C" int OrvHandleRequest(void* storage, int driver, const OrvRequest* r,
                                uint32_t* information) {
  DriverMachine& d = At(storage);
  *information = 0;
  if (driver < ORV_DRIVER_TORQ || driver > ORV_DRIVER_MEMIOVXD) return 0;
  d.now += d.requestMicros;
  d.machine.SetTime(d.now);
  CallerBridge bridge{r->caller};
  const machine::CallerMemory caller{&bridge, &CallerBridge::Read, &CallerBridge::Write};
  const machine::DriverRequest request{r->code,
                                       r->buffer,
                                       r->inputSize,
                                       r->outputSize,
                                       r->callerIsWow64 != 0,
                                       r->callerBufferAddress,
                                       r->caller ? &caller : nullptr};
  const bool honoured =
      machine::HandleRequest(d.machine, static_cast<machine::Driver>(driver), request, information);
  // Never report more output than the caller's buffer holds.
  if (*information > r->outputSize) *information = r->outputSize;
  return honoured ? 1 : 0;
}

extern "C" int OrvHandleDiskRequest(void* storage, uint32_t drive, const OrvRequest* r,
                                    uint32_t* information) {
  using Answer = machine::Disks::Answer;
  const Answer answer = At(storage).machine.disks.Handle(drive, r->code, r->buffer, r->inputSize,
                                                         r->outputSize, information);
  if (*information > r->outputSize) *information = r->outputSize;
  return answer == Answer::kDone ? 0 : answer == Answer::kNotSupported ? 1 : 2;
}

extern "C" void OrvStateHeader(void* storage, int driver, uint8_t header[ORV_FILE_HEADER_SIZE]) {
  DriverMachine& d = At(storage);
  machine_file::WriteHeader(
      d.machine, {machine_file::Kind::kState, d.requestMicros, static_cast<uint32_t>(driver)},
      header);
}

extern "C" size_t OrvStateChangedFrom(void* storage) {
  DriverMachine& d = At(storage);
  const machine::Machine& m = d.machine;
  const uint32_t since = m.logged - d.savedLogged;
  if (!d.saved || since > machine::Machine::kLogSize || m.smi.answered != d.savedAnswers) return 0;
  for (uint32_t n = d.savedLogged; n != m.logged; ++n) {
    if (m.log[n % machine::Machine::kLogSize].kind == machine::RequestRecord::kMemoryWrite)
      return 0;
  }
  // Memory is the model's first member; everything after it is rewritten.
  return static_cast<size_t>(reinterpret_cast<const uint8_t*>(&m.kbc) -
                             reinterpret_cast<const uint8_t*>(&m));
}

extern "C" void OrvStateWritten(void* storage) {
  DriverMachine& d = At(storage);
  d.saved = true;
  d.savedLogged = d.machine.logged;
  d.savedAnswers = d.machine.smi.answered;
}
