#include "os/sim/firmware_profile.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "os/little_endian.h"
#include "os/sim/profile_fields.h"

namespace sim {
namespace {

using nlohmann::json;
using Bytes = std::vector<uint8_t>;

// Where a dump's table goes unless the profile says: the dump's entry point
// only gives the table's place in the file (0x20).
constexpr uint64_t kDumpTableAddress = 0xE0000;
constexpr uint64_t kEntryPointAddress = 0xF6A10;

[[noreturn]] void Fail(const std::string& why) {
  throw std::runtime_error("profile: smbios: " + why);
}

// The byte that makes `n` bytes from `at` sum to zero, itself counted as 0.
void SetChecksum(Bytes& bytes, size_t checksumAt, size_t at, size_t n) {
  bytes[checksumAt] = 0;
  uint8_t sum = 0;
  for (size_t i = at; i < at + n; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
  bytes[checksumAt] = static_cast<uint8_t>(-sum);
}

struct EntryPoint {
  enum Kind { kLegacy, kVersion2, kVersion3 } kind;
  Bytes bytes;
  uint64_t tableAddress;
  uint64_t tableLength;  // a maximum for version 3
};

EntryPoint ParseEntryPoint(const Bytes& data) {
  auto starts = [&](const char* anchor, size_t size) {
    return data.size() >= size && std::memcmp(data.data(), anchor, std::strlen(anchor)) == 0;
  };
  using little_endian::Load16;
  using little_endian::Load32;
  if (starts("_SM3_", 24))
    return {EntryPoint::kVersion3, Bytes(data.begin(), data.begin() + 24),
            little_endian::Load64(&data[16]), Load32(&data[12])};
  if (starts("_SM_", 31) && std::memcmp(&data[16], "_DMI_", 5) == 0)
    return {EntryPoint::kVersion2, Bytes(data.begin(), data.begin() + 31), Load32(&data[24]),
            Load16(&data[22])};
  if (starts("_DMI_", 15))
    return {EntryPoint::kLegacy, Bytes(data.begin(), data.begin() + 15), Load32(&data[8]),
            Load16(&data[6])};
  Fail("no \"_SM3_\", \"_SM_\" or \"_DMI_\" entry point at the start of the file");
}

// The entry point as the firmware would have it for the table at `address`.
Bytes Relocated(EntryPoint entry, uint64_t address) {
  Bytes& b = entry.bytes;
  switch (entry.kind) {
    case EntryPoint::kVersion3:
      little_endian::Store64(&b[16], address);
      SetChecksum(b, 5, 0, b[6] < b.size() ? b[6] : b.size());
      break;
    case EntryPoint::kVersion2:
      little_endian::Store32(&b[24], static_cast<uint32_t>(address));
      SetChecksum(b, 21, 16, 15);
      SetChecksum(b, 4, 0, b[5] < b.size() ? b[5] : b.size());
      break;
    case EntryPoint::kLegacy:
      little_endian::Store32(&b[8], static_cast<uint32_t>(address));
      SetChecksum(b, 5, 0, 15);
      break;
  }
  return b;
}

void BuildSmbios(const json& profile, const json& s, machine::Machine* m) {
  EntryPoint entry;
  Bytes table;
  uint64_t defaultAddress = 0;
  if (s.contains("dump")) {
    const Bytes dump = ReadProfileFile(profile, s["dump"]);
    entry = ParseEntryPoint(dump);
    if (entry.tableAddress >= dump.size())
      Fail("the dump holds no table where its entry point says");
    const uint64_t available = dump.size() - entry.tableAddress;
    const uint64_t length = entry.tableLength < available ? entry.tableLength : available;
    table.assign(dump.begin() + static_cast<ptrdiff_t>(entry.tableAddress),
                 dump.begin() + static_cast<ptrdiff_t>(entry.tableAddress + length));
    defaultAddress = kDumpTableAddress;
  } else if (s.contains("entryPoint") && s.contains("table")) {
    entry = ParseEntryPoint(ReadProfileFile(profile, s["entryPoint"]));
    table = ReadProfileFile(profile, s["table"]);
    if (table.size() > entry.tableLength) table.resize(entry.tableLength);
    defaultAddress = entry.tableAddress;
  } else {
    Fail("give \"dump\", or \"entryPoint\" and \"table\"");
  }
  const uint64_t address = NumberOr(s, "tableAddress", defaultAddress);
  if (table.empty() || table.size() > machine::PhysicalMemory::kWindowSize ||
      !m->memory.PlaceWindow(address, static_cast<uint32_t>(table.size())))
    Fail("the table (" + std::to_string(table.size()) +
         " bytes) does not fit a free memory window at its address");
  Place(m, address, table);
  const uint64_t at = NumberOr(s, "entryPointAddress", kEntryPointAddress);
  if (at % 16 != 0) Fail("\"entryPointAddress\" is not on a 16-byte boundary");
  Place(m, at, Relocated(entry, address));
}

// A block that starts with `signature`, `size` bytes long, zero but for the
// profile's texts at their offsets.
void BuildBlock(const json& block, const char* signature, size_t size,
                const std::vector<std::pair<const char*, size_t>>& texts, machine::Machine* m) {
  Bytes bytes(size, 0);
  std::memcpy(bytes.data(), signature, std::strlen(signature));
  for (const auto& [field, offset] : texts) {
    const std::string text = block.value(field, "");
    for (size_t i = 0; i < text.size() && offset + i < size; ++i)
      bytes[offset + i] = static_cast<uint8_t>(text[i]);
  }
  Place(m, NumberOr(block, "address", 0), bytes);
}

}  // namespace

void BuildFirmware(const json& profile, machine::Machine* m) {
  if (!profile.contains("hardware")) return;
  const json& h = profile["hardware"];
  if (h.contains("memoryWindows")) {
    for (const json& w : h["memoryWindows"]) {
      if (!m->memory.PlaceWindow(NumberOr(w, "address", 0),
                                 static_cast<uint32_t>(NumberOr(w, "size", 0))))
        throw std::runtime_error(
            "profile: a memory window overlaps, is too large or finds no free slot");
    }
  }
  if (h.contains("smbios")) BuildSmbios(profile, h["smbios"], m);
  if (h.contains("devel")) BuildBlock(h["devel"], "DEVEL", 10, {{"partNumber", 5}}, m);
  if (h.contains("diag")) BuildBlock(h["diag"], "DiaG@", 40, {{"model", 11}, {"version", 25}}, m);
  if (h.contains("amiBios")) BuildBlock(h["amiBios"], "AMIBIOS", 34, {{"version", 26}}, m);
}

}  // namespace sim
