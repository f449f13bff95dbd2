#include "os/sim/sim_devices.h"

#include <sys/mman.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "os/ascii_case.h"
#include "os/sim/machine/drivers.h"
#include "os/sim/sim_services.h"

namespace sim {
namespace {
// Request blocks keep their size in front so FreeRequest can unmap them.
constexpr size_t kHeader = 16;
constexpr uint32_t kOpenMicros = 20;

// "\\.\PhysicalDriveN" (any letter case): N, or -1 for any other name.
int PhysicalDriveNumber(const std::string& name) {
  static constexpr char kPrefix[] = "\\\\.\\PhysicalDrive";
  constexpr size_t kLength = sizeof kPrefix - 1;
  if (name.size() <= kLength || !ascii_case::StartsWith(name, kPrefix)) return -1;
  int number = 0;
  for (size_t i = kLength; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i])) || number > 1000) return -1;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

std::string Hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

}  // namespace

SimDevices::SimDevices(const Profile& profile, Transcript* transcript, Clock* clock,
                       SimServices* services)
    : profile_(profile),
      transcript_(transcript),
      clock_(clock),
      services_(services),
      setup_(ReadDriverSetup(profile.json)),
      machine_(std::make_unique<machine::Machine>()) {
  BuildMachine(profile.json, machine_.get());
  if (!setup_.addMemRegisteredPath.empty()) {
    services_->Register("ADDMEM", setup_.addMemRegisteredPath, setup_.addMemRunning);
  }
  services_->FailCreations("ADDMEM", setup_.addMemCreateFailures);
  last_ = Take();
}

SimDevices::~SimDevices() {
  for (const auto& [start, size] : blocks_)
    munmap(reinterpret_cast<char*>(start) - kHeader, size + kHeader);
}

void SimDevices::Note(const std::string& kind, const std::string& text) {
  // Repeated identical lines (a driver opened per request) are kept once.
  const std::string line = kind + ": " + text;
  if (!transcript_->Lines().empty() && transcript_->Lines().back() == line) return;
  transcript_->Add(kind, text);
}

os::DeviceRef SimDevices::Open(const std::string& name, uint32_t access, uint32_t share,
                               uint32_t disposition, uint32_t flags, uint32_t* error) {
  clock_->Advance(kOpenMicros);
  uint32_t ignored = 0;
  uint32_t& err = error ? *error : ignored;
  const bool nt = profile_.platformId == 2;
  const bool readWrite = access == (os::device::kGenericRead | os::device::kGenericWrite);
  const int drive = PhysicalDriveNumber(name);
  if (drive >= 0)
    return OpenDrive(name, static_cast<uint32_t>(drive), access, share, disposition, flags, &err);
  machine::Driver driver;
  DriverPresence presence;
  if (ascii_case::Same(name, "\\\\.\\KMDFMEMIO\\kmdfmemiosamp.log")) {
    driver = machine::Driver::kKmdfMemIo;
    presence = setup_.kmdfMemIo;
  } else if (ascii_case::Same(name, "\\\\.\\TORQ\\TorqDrv.log")) {
    driver = machine::Driver::kTorq;
    presence = setup_.torq;
  } else if (ascii_case::Same(name, "\\\\.\\ADDMEM")) {
    driver = machine::Driver::kAddMem;
    presence.present = nt && services_->IsRunning("ADDMEM");
    presence.openFailures = setup_.addMemOpenFailures;
  } else if (ascii_case::Same(name, "\\\\.\\MEMIO.VXD")) {
    driver = machine::Driver::kMemIoVxd;
    presence = setup_.memIoVxd;
    // The dynamic-VxD form of CreateFileA exists only on the 9x family.
    if (nt || disposition != 0 ||
        flags != (os::device::kDeleteOnClose | os::device::kAttributeNormal)) {
      err = os::error::kInvalidParameter;
      Note("device", "open " + name + ": refused (error 87)");
      return os::kInvalidDevice;
    }
  } else {
    err = os::error::kFileNotFound;
    Note("device", "open " + name + ": not present");
    return os::kInvalidDevice;
  }
  if (driver != machine::Driver::kMemIoVxd &&
      (disposition != os::device::kOpenExisting || flags != os::device::kAttributeNormal ||
       !readWrite)) {
    err = os::error::kInvalidParameter;
    Note("device", "open " + name + ": refused (error 87)");
    return os::kInvalidDevice;
  }
  DriverPresence* state = driver == machine::Driver::kTorq        ? &setup_.torq
                          : driver == machine::Driver::kKmdfMemIo ? &setup_.kmdfMemIo
                          : driver == machine::Driver::kMemIoVxd  ? &setup_.memIoVxd
                                                                  : nullptr;
  uint32_t* failures = state ? &state->openFailures : &setup_.addMemOpenFailures;
  const bool lost = state && state->opensBeforeLoss && state->opens >= state->opensBeforeLoss;
  if (!presence.present || *failures > 0 || lost) {
    if (presence.present) --*failures;
    err = os::error::kFileNotFound;
    Note("device", "open " + name + ": not present");
    return os::kInvalidDevice;
  }
  err = os::error::kNone;
  if (state) ++state->opens;
  Note("device", "open " + name);
  handles_[nextHandle_] = driver;
  return nextHandle_++;
}

// Physical drives open only in the form the disk check uses: read and
// write access, shared for reading and writing, no flags.
os::DeviceRef SimDevices::OpenDrive(const std::string& name, uint32_t number, uint32_t access,
                                    uint32_t share, uint32_t disposition, uint32_t flags,
                                    uint32_t* error) {
  if (number >= machine::Disks::kDrives || !machine_->disks.drive[number].present) {
    *error = os::error::kFileNotFound;
    Note("device", "open " + name + ": not present");
    return os::kInvalidDevice;
  }
  if (access != (os::device::kGenericRead | os::device::kGenericWrite) ||
      share != (os::device::kShareRead | os::device::kShareWrite) ||
      disposition != os::device::kOpenExisting || flags != 0) {
    *error = os::error::kInvalidParameter;
    Note("device", "open " + name + ": refused (error 87)");
    return os::kInvalidDevice;
  }
  *error = os::error::kNone;
  Note("device", "open " + name);
  drives_[nextHandle_] = number;
  return nextHandle_++;
}

bool SimDevices::CallerRange(uint32_t address, uint32_t size, uint8_t** at) {
  // Only memory from AllocateRequest is the driver's to touch: an address
  // of anything else (a truncated 64-bit pointer, say) is refused.
  for (const auto& [start, length] : blocks_) {
    if (address >= start && uint64_t{address} + size <= start + length) {
      *at = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(address));
      return true;
    }
  }
  return false;
}

bool SimDevices::CallerRead(void* self, uint32_t address, uint8_t* to, uint32_t size) {
  uint8_t* at = nullptr;
  if (!static_cast<SimDevices*>(self)->CallerRange(address, size, &at)) return false;
  std::memcpy(to, at, size);
  return true;
}

bool SimDevices::CallerWrite(void* self, uint32_t address, const uint8_t* from, uint32_t size) {
  uint8_t* at = nullptr;
  if (!static_cast<SimDevices*>(self)->CallerRange(address, size, &at)) return false;
  std::memcpy(at, from, size);
  return true;
}

bool SimDevices::Control(os::DeviceRef device, uint32_t code, const void* input, uint32_t inputSize,
                         void* output, uint32_t outputSize, uint32_t* returned) {
  if (returned) *returned = 0;
  clock_->Advance(setup_.requestMicros);
  // METHOD_BUFFERED: the driver sees one system buffer holding the input,
  // and its output is copied back to the caller's output buffer.
  std::vector<uint8_t> system(std::max(inputSize, outputSize));
  if (inputSize) std::memcpy(system.data(), input, inputSize);
  uint32_t information = 0;
  if (!Answer(device, code, system.data(), inputSize, outputSize, output, &information))
    return false;
  information = std::min(information, outputSize);
  if (information) std::memcpy(output, system.data(), information);
  if (returned) *returned = information;
  return true;
}

// One request in its system buffer, by the drive or driver behind the handle.
bool SimDevices::Answer(os::DeviceRef device, uint32_t code, uint8_t* system, uint32_t inputSize,
                        uint32_t outputSize, void* output, uint32_t* information) {
  if (auto drive = drives_.find(device); drive != drives_.end()) {
    return machine_->disks.Handle(drive->second, code, system, inputSize, outputSize,
                                  information) == machine::Disks::Answer::kDone;
  }
  auto it = handles_.find(device);
  if (it == handles_.end()) return false;
  machine_->SetTime(clock_->Micros());
  const machine::CallerMemory caller{this, &CallerRead, &CallerWrite};
  const machine::DriverRequest request{
      code,   system, inputSize, outputSize, profile_.wow64, reinterpret_cast<uintptr_t>(output),
      &caller};
  return machine::HandleRequest(*machine_, it->second, request, information);
}

void SimDevices::Close(os::DeviceRef device) {
  if (handles_.erase(device)) FlushEffects();
  drives_.erase(device);
}

void* SimDevices::AllocateRequest(size_t size) {
  // MAP_32BIT keeps the block below 4 GiB, so a 32-bit address of it in a
  // request record is the true address, as in the 32-bit Windows build.
  void* block = mmap(nullptr, size + kHeader, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  if (block == MAP_FAILED) return nullptr;
  std::memcpy(block, &size, sizeof size);
  char* start = static_cast<char*>(block) + kHeader;
  blocks_[reinterpret_cast<uintptr_t>(start)] = size;
  return start;
}

void SimDevices::FreeRequest(void* block) {
  if (!block) return;
  blocks_.erase(reinterpret_cast<uintptr_t>(block));
  char* start = static_cast<char*>(block) - kHeader;
  size_t size = 0;
  std::memcpy(&size, start, sizeof size);
  munmap(start, size + kHeader);
}

SimDevices::Snapshot SimDevices::Take() const {
  const machine::Machine& m = *machine_;
  Snapshot s;
  s.ecRam.assign(m.kbc.ecRam, m.kbc.ecRam + sizeof m.kbc.ecRam);
  std::memcpy(s.cmos, m.chipset.cmos, sizeof s.cmos);
  s.smiEnable = m.chipset.smiEnable;
  s.commandByte = m.kbc.commandByte;
  s.kbcHeld = m.kbc.held;
  s.configOpen = m.superIo.inConfiguration;
  s.autoOnKbc = m.kbc.autoOnArmed;
  s.autoOnMailbox = m.superIo.autoOnArmed;
  s.smiCalls = m.smi.calls;
  s.smiAnswered = m.smi.answered;
  s.mailboxCommands = m.superIo.commands;
  s.violations = m.kbc.violations + m.superIo.violations + m.smi.violations;
  return s;
}

void SimDevices::FlushEffects() {
  const Snapshot now = Take();
  const machine::Machine& m = *machine_;
  // 64 KiB on every close: compared whole first, byte by byte only when it changed.
  if (now.ecRam != last_.ecRam) {
    for (size_t a = 0; a < now.ecRam.size(); ++a) {
      if (now.ecRam[a] != last_.ecRam[a]) {
        transcript_->Add("hw", "EC RAM " + Hex(static_cast<uint32_t>(a), 4) + ": " +
                                   Hex(last_.ecRam[a], 2) + " -> " + Hex(now.ecRam[a], 2));
      }
    }
  }
  for (int bank = 0; bank < 2; ++bank) {
    // Runs of changed bytes that took the same value make one line.
    for (int i = 0; i < 128;) {
      if (now.cmos[bank][i] == last_.cmos[bank][i]) {
        ++i;
        continue;
      }
      int j = i + 1;
      while (j < 128 && now.cmos[bank][j] != last_.cmos[bank][j] &&
             now.cmos[bank][j] == now.cmos[bank][i])
        ++j;
      std::string range = Hex(static_cast<uint32_t>(i), 2);
      if (j - i > 1) range += "-" + Hex(static_cast<uint32_t>(j - 1), 2);
      transcript_->Add("hw", "CMOS bank " + std::to_string(bank) + " " + range + " set to " +
                                 Hex(now.cmos[bank][i], 2));
      i = j;
    }
  }
  if (now.smiEnable != last_.smiEnable)
    transcript_->Add("hw",
                     "SMI enable " + Hex(last_.smiEnable, 8) + " -> " + Hex(now.smiEnable, 8));
  if (now.commandByte != last_.commandByte)
    transcript_->Add("hw", "keyboard controller command byte " + Hex(last_.commandByte, 2) +
                               " -> " + Hex(now.commandByte, 2));
  if (now.smiCalls != last_.smiCalls)
    transcript_->Add("hw", "software SMI command " + std::to_string(m.smi.lastCommand) + ": " +
                               (now.smiAnswered != last_.smiAnswered ? "answered" : "no answer"));
  if (now.mailboxCommands != last_.mailboxCommands)
    transcript_->Add("hw", "EC mailbox command " + Hex(m.superIo.lastCommand, 2));
  if (now.autoOnKbc && !last_.autoOnKbc)
    transcript_->Add("hw", "EC auto-on armed through the keyboard controller");
  if (now.autoOnMailbox && !last_.autoOnMailbox)
    transcript_->Add("hw", "EC auto-on armed through the mailbox");
  if (now.violations != last_.violations)
    transcript_->Add("hw",
                     "protocol fault (" + std::to_string(now.violations - last_.violations) + ")");
  if (now.kbcHeld && !last_.kbcHeld) transcript_->Add("hw", "keyboard controller left held");
  if (now.configOpen && !last_.configOpen) transcript_->Add("hw", "configuration port left open");
  last_ = now;
}

}  // namespace sim
