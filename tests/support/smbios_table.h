// SMBIOS tables for tests, shaped like a notebook's, and the file that
// `dmidecode --dump-bin` writes for them (entry point at 0, table at 0x20),
// so that dmidecode can read them back as an independent reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace smbios_test {

class TableBuilder {
 public:
  // A structure of `type` whose formatted area is the 4-byte header and
  // `fields`; `strings` form its string set (none: two NUL bytes).
  TableBuilder& Add(uint8_t type, const std::vector<uint8_t>& fields,
                    const std::vector<std::string>& strings = {});
  // The raw bytes of a structure, for malformed tables.
  TableBuilder& AddRaw(const std::vector<uint8_t>& bytes);
  // The end-of-table structure (type 127).
  TableBuilder& End();

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  uint16_t Count() const { return count_; }
  // Where the structure added as the `n`-th (from 0) starts in the table.
  size_t OffsetOf(size_t n) const { return offsets_.at(n); }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<size_t> offsets_;
  uint16_t count_ = 0;
  uint16_t handle_ = 0;
};

// What a notebook's table says that the updater reads.
struct NotebookFacts {
  std::string manufacturer = "Orvanta Electronics Co., Ltd.";
  std::string product = "900X3C/900X4C";
  std::string version = "P07AAH";
  std::string serial = "HQ8A91BC300123Y";
  std::string biosFlag = "FLAG=0x0412";     // first OEM string
  std::string purchaseDate = "2012-03-14";  // second OEM string
  std::string biosVersion = "P07AAH.033.120314.SH";
};

// About 4 KiB in the order real firmware lays them out: BIOS, system,
// board, chassis, processor, three caches, a dozen port connectors, slots,
// on-board devices, OEM strings (with more than the two the updater reads),
// configuration options, languages, memory array and devices, mapped
// addresses, boot information, and the end of the table.
TableBuilder NotebookTable(const NotebookFacts& facts = {});

enum class EntryPointKind { kVersion2, kVersion3, kLegacy };

// The `dmidecode --dump-bin` file of `table`.
std::string DumpFile(const TableBuilder& table, EntryPointKind kind = EntryPointKind::kVersion2);

// What Debian's dmidecode reads from a dump file: the system serial number
// and the first two OEM strings (an empty string when it has none); the
// strings of every structure of `type` by position (dmidecode -u).
struct DmidecodeView {
  bool ran = false;
  std::string serial, oem1, oem2;
};
DmidecodeView ReadWithDmidecode(const std::string& dumpPath);
std::vector<std::string> StringsWithDmidecode(const std::string& dumpPath, int type);

}  // namespace smbios_test
