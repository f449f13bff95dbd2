#include "machine_tools.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "os/sim/hardware_profile.h"

namespace machine_tools {
namespace {

using machine_file::Kind;

std::string Hex(uint64_t value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
  return text;
}

// "name=0xVALUE" for each byte of `now` that differs from `before` (from
// zero when there is no `before`), prefixed by `label`, eight to a line.
void ByteChanges(std::string* out, const std::string& label, uint64_t base, const uint8_t* now,
                 const uint8_t* before, size_t size) {
  int onLine = 0;
  for (size_t i = 0; i < size; ++i) {
    const uint8_t was = before ? before[i] : 0;
    if (now[i] == was) continue;
    if (onLine == 0) *out += label;
    *out += " " + Hex(base + i, base + size > 0x10000 ? 8 : 4) + "=" + Hex(now[i], 2);
    if (++onLine == 8) {
      *out += "\n";
      onLine = 0;
    }
  }
  if (onLine) *out += "\n";
}

const char* RecordKind(machine::RequestRecord::Kind kind) {
  switch (kind) {
    case machine::RequestRecord::kPortRead:
      return "port-read";
    case machine::RequestRecord::kPortWrite:
      return "port-write";
    case machine::RequestRecord::kMemoryRead:
      return "memory-read";
    case machine::RequestRecord::kMemoryWrite:
      return "memory-write";
    case machine::RequestRecord::kRefused:
      return "refused";
  }
  return "?";
}

const char* ControllerName(machine::Disks::Controller controller) {
  switch (controller) {
    case machine::Disks::Controller::kAnswers:
      return "answers";
    case machine::Disks::Controller::kRefusesSmart:
      return "refuses-smart";
    case machine::Disks::Controller::kNoIdeCommands:
      return "no-ide";
  }
  return "?";
}

// One line per drive that is present or was asked anything.
void DiskLines(std::string* out, const machine::Disks& disks) {
  for (uint32_t i = 0; i < machine::Disks::kDrives; ++i) {
    const machine::Disks::Drive& d = disks.drive[i];
    if (!d.present && !d.versionRequests && !d.identifyRequests) continue;
    std::string record;
    for (uint8_t byte : d.lastIdentify) record += Hex(byte, 2).substr(2);
    *out += "disk " + std::to_string(i) + " present=" + std::to_string(d.present) +
            " atapi=" + std::to_string(d.atapi) + " removable=" + std::to_string(d.removable) +
            " security=" + Hex(d.security, 2) + " controller=" + ControllerName(d.controller) +
            " versionRequests=" + std::to_string(d.versionRequests) +
            " identifyRequests=" + std::to_string(d.identifyRequests) +
            " refused=" + std::to_string(d.refused) + " lastIdentify=" + record + "\n";
  }
}

std::string Counts(const uint32_t counts[4]) {
  std::string text;
  for (uint32_t d = 0; d < 4; ++d)
    text += std::string(" ") + DriverName(d) + "=" + std::to_string(counts[d]);
  return text;
}

}  // namespace

const char* DriverName(uint32_t driver) {
  static const char* const kNames[] = {"torq", "kmdfmemio", "addmem", "memiovxd", "disks"};
  return driver < 5 ? kNames[driver] : "none";
}

std::vector<uint8_t> MakeImage(const nlohmann::json& profile) {
  auto m = std::make_unique<machine::Machine>();
  sim::BuildMachine(profile, m.get());
  const sim::DriverSetup setup = sim::ReadDriverSetup(profile);
  std::vector<uint8_t> bytes(machine_file::kFileSize);
  machine_file::WriteHeader(*m, {Kind::kImage, setup.requestMicros, machine_file::kNoDriver},
                            bytes.data());
  std::memcpy(bytes.data() + machine_file::kHeaderSize, m.get(), sizeof *m);
  return bytes;
}

std::vector<uint8_t> StateBytes(const machine::Machine& m, uint32_t requestMicros,
                                machine::Driver driver) {
  std::vector<uint8_t> bytes(machine_file::kFileSize);
  machine_file::WriteHeader(m, {Kind::kState, requestMicros, static_cast<uint32_t>(driver)},
                            bytes.data());
  std::memcpy(bytes.data() + machine_file::kHeaderSize, &m, sizeof m);
  return bytes;
}

bool ParseMachineFile(const std::vector<uint8_t>& bytes, Kind kind, MachineFile* file,
                      std::string* error) {
  file->machine = std::make_unique<machine::Machine>();
  if (bytes.size() < machine_file::kHeaderSize) {
    *error = "too short for a machine file";
    return false;
  }
  const machine_file::Fault fault =
      machine_file::ReadHeader(*file->machine, bytes.data(), bytes.size(), kind, &file->header);
  if (fault != machine_file::Fault::kNone) {
    *error = machine_file::Describe(fault);
    return false;
  }
  std::memcpy(static_cast<void*>(file->machine.get()), bytes.data() + machine_file::kHeaderSize,
              sizeof(machine::Machine));
  return true;
}

bool ReadMachineFile(const std::string& path, Kind kind, MachineFile* file, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path;
    return false;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  if (!ParseMachineFile(bytes, kind, file, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

std::string DescribeState(const MachineFile& state, const MachineFile* image) {
  const machine::Machine& m = *state.machine;
  const machine::Machine* before = image ? image->machine.get() : nullptr;
  std::string out = std::string("driver ") + DriverName(state.header.driver) + "\n";
  out += "requests" + Counts(m.requests) + "\n";
  out += "refused" + Counts(m.refused) + "\n";
  const machine::KeyboardController& k = m.kbc;
  out += "kbc commandByte=" + Hex(k.commandByte, 2) + " held=" + std::to_string(k.held) +
         " autoOnArmed=" + std::to_string(k.autoOnArmed) + " holds=" + std::to_string(k.holds) +
         " releases=" + std::to_string(k.releases) + " ecReads=" + std::to_string(k.ecReads) +
         " ecWrites=" + std::to_string(k.ecWrites) +
         " autoOnCommands=" + std::to_string(k.autoOnCommands) +
         " violations=" + std::to_string(k.violations) + "\n";
  const machine::SuperIo& s = m.superIo;
  out += "superio inConfiguration=" + std::to_string(s.inConfiguration) +
         " autoOnArmed=" + std::to_string(s.autoOnArmed) +
         " commands=" + std::to_string(s.commands) + " lastCommand=" + Hex(s.lastCommand, 2) +
         " violations=" + std::to_string(s.violations) + "\n";
  const machine::Chipset& c = m.chipset;
  out += "chipset pciAddress=" + Hex(c.pciAddress, 8) + " smiEnable=" + Hex(c.smiEnable, 8) +
         " smiEnableWrites=" + std::to_string(c.smiEnableWrites) + "\n";
  out += "smi calls=" + std::to_string(m.smi.calls) +
         " answered=" + std::to_string(m.smi.answered) +
         " lastCommand=" + Hex(m.smi.lastCommand, 4) + " open=" + std::to_string(m.smi.open) +
         " violations=" + std::to_string(m.smi.violations) + "\n";
  DiskLines(&out, m.disks);
  ByteChanges(&out, "ec-ram", 0, k.ecRam, before ? before->kbc.ecRam : nullptr, sizeof k.ecRam);
  ByteChanges(&out, "cmos0", 0, c.cmos[0], before ? before->chipset.cmos[0] : nullptr,
              sizeof c.cmos[0]);
  ByteChanges(&out, "cmos1", 0, c.cmos[1], before ? before->chipset.cmos[1] : nullptr,
              sizeof c.cmos[1]);
  if (before) {
    ByteChanges(&out, "memory", machine::PhysicalMemory::kFirmwareBase, m.memory.firmware,
                before->memory.firmware, sizeof m.memory.firmware);
    ByteChanges(&out, "memory", machine::PhysicalMemory::kTopBase, m.memory.top, before->memory.top,
                sizeof m.memory.top);
    for (uint32_t w = 0; w < machine::PhysicalMemory::kWindowCount; ++w) {
      const machine::PhysicalMemory::Window& now = m.memory.windows[w];
      ByteChanges(&out, "memory", now.base, now.bytes, before->memory.windows[w].bytes, now.size);
    }
  }
  // The ring keeps the last kLogSize records; older ones are counted only.
  const uint32_t kept =
      m.logged < machine::Machine::kLogSize ? m.logged : machine::Machine::kLogSize;
  out += "log total=" + std::to_string(m.logged) + " kept=" + std::to_string(kept) + "\n";
  for (uint32_t n = m.logged - kept; n < m.logged; ++n) {
    const machine::RequestRecord& r = m.log[n % machine::Machine::kLogSize];
    out += std::to_string(n) + " " + DriverName(static_cast<uint32_t>(r.driver)) + " " +
           RecordKind(r.kind) + " code=" + Hex(r.code, 8) + " target=" + Hex(r.target, 4) +
           " width=" + std::to_string(r.width) + " value=" + Hex(r.value, 2) + "\n";
  }
  return out;
}

}  // namespace machine_tools
