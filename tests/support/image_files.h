// Image files as the updater meets them in the work directory: a Phoenix
// image with its markers and flash-area table, the flash tool's
// "newSys.bin", an AMI "bios.rom" with its "$FID" record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace image_test {

struct AreaRow {
  uint32_t length, imageOffset, flashAddress;
  uint16_t reserved, flags;
};

struct PhoenixLayout {
  size_t size;
  size_t headerAt;       // "ZFLPF" and the rest of its 61 bytes
  size_t markerAt;       // "ZQDS"
  uint32_t tableOffset;  // the header's u32 at byte 53
  std::vector<AreaRow> rows;
  bool terminated = true;  // a zero entry after the rows
};

// The image: deterministic filler without a 'Z', then the layout's parts.
std::string PhoenixImage(const PhoenixLayout& layout);
// A simpler image for the flash tools' own check: `size` bytes, the header
// at `headerAt`, "ZQDS" 0x100 bytes after it, the table 0x60 bytes after the
// header with `entries` entries of 64 KiB, then a terminator whose reserved
// word is not zero (it is no part of the test) unless `terminated` is false.
std::string PhoenixImage(size_t size, size_t headerAt, uint32_t entries, bool terminated = true);
// The table start of a layout: the first marker plus the offset.
size_t TableAt(const PhoenixLayout& layout);
// The 16 bytes of an entry.
std::string AreaBytes(const AreaRow& row);

// A "newSys.bin" of `size` bytes with the four blocks at the offsets given.
struct NewSystemBlocks {
  size_t diagAt, develAt, dmiAt, sysAt;
  std::string model = "NP90", part = "BA4";
  uint16_t keptAreaWord = 0xA000;
};
std::string NewSystemFile(size_t size, const NewSystemBlocks& blocks);

// A "bios.rom" of `size` bytes whose "$FID" record at `at` holds the part
// number (3 characters) and the version text, padded to 8 with blanks.
// Blocks and records are cut off where the file ends.
std::string AmiImage(size_t size, size_t at, const std::string& part, const std::string& version);

}  // namespace image_test
