#include "firmware/smbios_walk.h"

#include <cstring>

#include "hw/device_requests.h"
#include "hw/memory_search.h"
#include "os/little_endian.h"

namespace firmware {
namespace {

constexpr uint64_t kBiosArea = 0xF0000;
constexpr uint32_t kBiosAreaSize = 0x10000;
constexpr uint32_t kEntryPointSize = 15;  // the legacy "_DMI_" entry point
constexpr uint8_t kEndOfTable = 127;
constexpr uint32_t kHeaderSize = 4;  // type, length, handle
constexpr uint32_t kStringWindow = 32;
constexpr uint64_t kFourGiB = uint64_t{1} << 32;

// One driver request. A read the driver could not carry out leaves zeros,
// which end every walk below.
void Read(uint64_t address, void* to, uint32_t length) {
  std::memset(to, 0, length);
  hw::ReadPhysical(hw::PhysicalRange{static_cast<uint32_t>(address),
                                     static_cast<uint32_t>(address >> 32), length, to});
}

uint8_t ReadByte(uint64_t address) {
  uint8_t byte = 0;
  Read(address, &byte, 1);
  return byte;
}

// A "_DMI_" match counts only with a valid checksum: the address next to a
// chance match in firmware code could point anywhere, and reads of device
// memory are not free of effects. A table reaching past 4 GiB is not one
// this entry point can describe.
bool LocateTable(SmbiosTable* table) {
  const uint64_t anchor = hw::FindSignature(kBiosArea, kBiosAreaSize, "_DMI_", 16);
  if (anchor == 0) return false;
  uint8_t entry[kEntryPointSize];
  Read(anchor, entry, kEntryPointSize);
  uint8_t sum = 0;
  for (uint8_t byte : entry) sum = static_cast<uint8_t>(sum + byte);
  if (sum != 0 || std::memcmp(entry, "_DMI_", 5) != 0) return false;
  const uint64_t start = little_endian::Load32(entry + 8);
  const uint64_t end = start + little_endian::Load16(entry + 6);
  if (end > kFourGiB) return false;
  *table = SmbiosTable{start, end, little_endian::Load16(entry + 12)};
  return true;
}

// Reads the string at `at` (one window after another until its NUL, never
// past the table's end), keeps its first `size` - 1 characters in `text`
// and returns its length; `*next` receives where the following string
// starts. A string cut off by the table's end is the set's last.
size_t ReadString(uint64_t at, uint64_t end, char* text, size_t size, uint64_t* next) {
  size_t length = 0;
  if (size) text[0] = '\0';
  for (uint64_t window = at; window < end; window += kStringWindow) {
    const uint32_t n =
        static_cast<uint32_t>(end - window < kStringWindow ? end - window : kStringWindow);
    uint8_t bytes[kStringWindow];
    Read(window, bytes, n);
    for (uint32_t i = 0; i < n; ++i, ++length) {
      if (bytes[i] == 0) {
        *next = window + i + 1;
        return length;
      }
      if (length + 1 < size) {
        text[length] = static_cast<char>(bytes[i]);
        text[length + 1] = '\0';
      }
    }
  }
  *next = end;
  return length;
}

}  // namespace

uint64_t FindSmbiosStructure(uint8_t type, SmbiosTable* table) {
  SmbiosTable found;
  if (!LocateTable(&found)) return 0;
  if (table) *table = found;
  uint64_t at = found.start;
  for (uint32_t n = 0; n < found.structures && at + kHeaderSize <= found.end; ++n) {
    const uint8_t structureType = ReadByte(at);
    if (structureType == type) return at;
    if (structureType == kEndOfTable) return 0;
    const uint8_t length = ReadByte(at + 1);
    if (length < kHeaderSize) return 0;  // a broken table: nothing after it can be trusted
    // The string set ends with two NUL bytes in a row.
    uint64_t p = at + length;
    for (;;) {
      if (p + 2 > found.end) return 0;
      uint8_t pair[2];
      Read(p, pair, 2);
      if (pair[0] == 0 && pair[1] == 0) break;
      ++p;
    }
    at = p + 2;
  }
  return 0;
}

void CopyStructureStrings(uint64_t structure, const SmbiosTable& table, char* const* fields,
                          size_t count, size_t fieldSize) {
  for (size_t i = 0; i < count; ++i)
    if (fields[i] && fieldSize) fields[i][0] = '\0';
  const uint8_t length = ReadByte(structure + 1);
  if (length < kHeaderSize) return;
  uint64_t at = structure + length;
  char scratch[kStringWindow];
  for (size_t i = 0; i < count && at < table.end; ++i) {
    char* field = fields[i] ? fields[i] : scratch;
    const size_t size = fields[i] ? fieldSize : sizeof scratch;
    // An empty string is the NUL that ends the set: no string follows.
    if (ReadString(at, table.end, field, size, &at) == 0) return;
  }
}

}  // namespace firmware
