#include "pe_image.h"

#include "os/little_endian.h"

namespace orvpack {
namespace {

constexpr int64_t kNewHeaderField = 0x3C;  // e_lfanew
constexpr int64_t kFileHeaderSize = 20;
constexpr uint16_t kPe32Magic = 0x10B, kPe32PlusMagic = 0x20B;
constexpr uint32_t kDataDirectoryEntrySize = 8;
constexpr uint32_t kSectionHeaderSize = 40;
// Windows loads no image with more sections than this.
constexpr uint16_t kMostSections = 96;

}  // namespace

bool ReadPeHeaders(firmware::ImageReader& file, int64_t fileSize, PeHeaders* headers) {
  uint8_t field[4];
  if (fileSize < kNewHeaderField + 4 || !file.ReadAt(0, field, 2) || field[0] != 'M' ||
      field[1] != 'Z' || !file.ReadAt(kNewHeaderField, field, sizeof field))
    return false;
  const int64_t peHeader = little_endian::Load32(field);
  uint8_t fixed[4 + kFileHeaderSize + 2];
  if (peHeader + static_cast<int64_t>(sizeof fixed) > fileSize ||
      !file.ReadAt(static_cast<uint64_t>(peHeader), fixed, sizeof fixed) || fixed[0] != 'P' ||
      fixed[1] != 'E' || fixed[2] != 0 || fixed[3] != 0)
    return false;
  const uint16_t magic = little_endian::Load16(fixed + 4 + kFileHeaderSize);
  if (magic != kPe32Magic && magic != kPe32PlusMagic) return false;
  headers->fileSize = fileSize;
  headers->pe32Plus = magic == kPe32PlusMagic;
  headers->sectionCount = little_endian::Load16(fixed + 4 + 2);
  const uint32_t optionalSize = little_endian::Load16(fixed + 4 + 16);
  const int64_t optionalHeader = peHeader + 4 + kFileHeaderSize;
  headers->sectionTable = optionalHeader + optionalSize;
  // The directory count and the entries follow the fixed fields, which are
  // 16 bytes longer in the 64-bit layout.
  const uint32_t countField = headers->pe32Plus ? 108 : 92;
  headers->directories = optionalHeader + countField + 4;
  headers->directoryCount = 0;
  uint8_t count[4];
  if (optionalSize >= countField + 4 &&
      file.ReadAt(static_cast<uint64_t>(optionalHeader + countField), count, sizeof count)) {
    const uint32_t room = (optionalSize - countField - 4) / kDataDirectoryEntrySize;
    const uint32_t stated = little_endian::Load32(count);
    headers->directoryCount = stated < room ? stated : room;
  }
  return true;
}

bool ReadDataDirectory(firmware::ImageReader& file, const PeHeaders& headers, uint32_t index,
                       uint32_t* address, uint32_t* size) {
  uint8_t entry[kDataDirectoryEntrySize];
  if (index >= headers.directoryCount ||
      !file.ReadAt(static_cast<uint64_t>(headers.directories) + index * kDataDirectoryEntrySize,
                   entry, sizeof entry))
    return false;
  *address = little_endian::Load32(entry);
  *size = little_endian::Load32(entry + 4);
  return true;
}

bool ReadPeSections(firmware::ImageReader& file, const PeHeaders& headers,
                    std::vector<PeSection>* sections) {
  sections->clear();
  if (headers.sectionCount > kMostSections) return false;
  for (uint16_t i = 0; i < headers.sectionCount; ++i) {
    uint8_t header[kSectionHeaderSize];
    if (!file.ReadAt(static_cast<uint64_t>(headers.sectionTable) + i * kSectionHeaderSize, header,
                     sizeof header))
      return false;
    PeSection section;
    section.address = little_endian::Load32(header + 12);
    section.rawSize = little_endian::Load32(header + 16);
    section.rawPosition = little_endian::Load32(header + 20);
    sections->push_back(section);
  }
  return true;
}

bool FilePosition(const std::vector<PeSection>& sections, uint32_t address, uint32_t size,
                  int64_t* position) {
  for (const PeSection& section : sections) {
    if (address < section.address) continue;
    const uint64_t into = address - section.address;
    if (into + size > section.rawSize) continue;
    *position = static_cast<int64_t>(section.rawPosition + into);
    return true;
  }
  return false;
}

}  // namespace orvpack
