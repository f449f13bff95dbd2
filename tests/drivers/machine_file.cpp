#include "machine_file.h"

#include "os/sim/machine/bytes.h"

namespace machine_file {
namespace {

constexpr uint8_t kMagic[8] = {'O', 'R', 'V', 'M', 'A', 'C', 'H', 0x1A};

class Fingerprint {
 public:
  void Add(uint64_t value) {
    for (int i = 0; i < 8; ++i) {
      hash_ ^= static_cast<uint8_t>(value >> (8 * i));
      hash_ *= 16777619u;  // FNV-1a
    }
  }
  void AddOffset(const void* base, const void* member) {
    Add(static_cast<uint64_t>(static_cast<const uint8_t*>(member) -
                              static_cast<const uint8_t*>(base)));
  }
  uint32_t Value() const { return hash_; }

 private:
  uint32_t hash_ = 2166136261u;
};

}  // namespace

uint32_t LayoutFingerprint(const machine::Machine& m) {
  Fingerprint f;
  f.Add(kFormatVersion);
  f.Add(sizeof m);
  f.Add(sizeof m.memory);
  f.Add(sizeof m.kbc);
  f.Add(sizeof m.superIo);
  f.Add(sizeof m.chipset);
  f.Add(sizeof m.smi);
  f.Add(sizeof m.disks);
  f.Add(sizeof m.log[0]);
  f.AddOffset(&m, &m.memory.top);
  f.AddOffset(&m, &m.memory.windows);
  f.Add(sizeof m.memory.windows[0]);
  f.AddOffset(&m, &m.kbc);
  f.AddOffset(&m, &m.kbc.behaviour);
  f.AddOffset(&m, &m.kbc.commandByte);
  f.AddOffset(&m, &m.kbc.violations);
  f.AddOffset(&m, &m.kbc.ecRam);
  f.AddOffset(&m, &m.superIo);
  f.AddOffset(&m, &m.superIo.reply);
  f.AddOffset(&m, &m.superIo.registers);
  f.AddOffset(&m, &m.chipset);
  f.AddOffset(&m, &m.chipset.smiEnable);
  f.AddOffset(&m, &m.chipset.cmos);
  f.AddOffset(&m, &m.smi);
  f.AddOffset(&m, &m.smi.model);
  f.AddOffset(&m, &m.smi.open);
  f.AddOffset(&m, &m.disks);
  f.AddOffset(&m, &m.disks.drive[1].lastIdentify);
  f.AddOffset(&m, &m.refusePortRequests);
  f.AddOffset(&m, &m.requests);
  f.AddOffset(&m, &m.log[0].target);
  f.AddOffset(&m, &m.logged);
  return f.Value();
}

void WriteHeader(const machine::Machine& any, const Header& header, uint8_t out[kHeaderSize]) {
  machine::FillBytes(out, 0, kHeaderSize);
  machine::CopyBytes(out, kMagic, sizeof kMagic);
  machine::Store32(out + 8, kFormatVersion);
  machine::Store32(out + 12, static_cast<uint32_t>(header.kind));
  machine::Store32(out + 16, LayoutFingerprint(any));
  machine::Store32(out + 20, static_cast<uint32_t>(sizeof(machine::Machine)));
  machine::Store32(out + 24, header.requestMicros);
  machine::Store32(out + 28, header.driver);
}

Fault ReadHeader(const machine::Machine& any, const uint8_t in[kHeaderSize], uint64_t fileSize,
                 Kind expected, Header* header) {
  for (size_t i = 0; i < sizeof kMagic; ++i) {
    if (in[i] != kMagic[i]) return Fault::kMagic;
  }
  if (machine::Load32(in + 8) != kFormatVersion) return Fault::kVersion;
  if (machine::Load32(in + 12) != static_cast<uint32_t>(expected)) return Fault::kKind;
  if (machine::Load32(in + 20) != sizeof(machine::Machine) || fileSize != kFileSize)
    return Fault::kSize;
  if (machine::Load32(in + 16) != LayoutFingerprint(any)) return Fault::kLayout;
  const uint32_t driver = machine::Load32(in + 28);
  if (expected == Kind::kImage ? driver != kNoDriver : driver > kDiskDriver) return Fault::kDriver;
  header->kind = expected;
  header->requestMicros = machine::Load32(in + 24);
  header->driver = driver;
  return Fault::kNone;
}

const char* Describe(Fault fault) {
  switch (fault) {
    case Fault::kNone:
      return "valid";
    case Fault::kSize:
      return "wrong size for this build's machine";
    case Fault::kMagic:
      return "not a machine file";
    case Fault::kVersion:
      return "unknown format version";
    case Fault::kKind:
      return "wrong kind (image where a state is expected, or the reverse)";
    case Fault::kLayout:
      return "made by a build with another machine layout";
    case Fault::kDriver:
      return "bad driver field";
  }
  return "unknown fault";
}

}  // namespace machine_file
