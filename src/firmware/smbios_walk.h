// The SMBIOS structure table as the updater walks it: found through the
// legacy "_DMI_" entry point in the BIOS area, read through the memory
// driver one small request at a time. The caller has opened the driver.
#pragma once

#include <cstddef>
#include <cstdint>

namespace firmware {

// Where the structure table lies, from its entry point.
struct SmbiosTable {
  uint64_t start = 0;
  uint64_t end = 0;  // one past the last byte (start + table length)
  uint16_t structures = 0;
};

// The physical address of the first structure of `type`, 0 when there is
// none: no valid "_DMI_" entry point, the end-of-table structure or the
// table's end reached first, or a broken structure on the way. `table`
// (when given) receives the table the structure lies in.
uint64_t FindSmbiosStructure(uint8_t type, SmbiosTable* table = nullptr);

// Copies the first `count` strings of the structure at `structure`, taken by
// their position in its string set (not through the index bytes), into
// `fields` (null entries are skipped); each field gets at most
// `fieldSize` - 1 characters. Strings past the end of the set, or of the
// table, are empty.
void CopyStructureStrings(uint64_t structure, const SmbiosTable& table, char* const* fields,
                          size_t count, size_t fieldSize);

}  // namespace firmware
