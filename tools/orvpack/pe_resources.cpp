#include "pe_resources.h"

#include "os/little_endian.h"

namespace orvpack {
namespace {

constexpr uint32_t kDirectoryHeaderSize = 16, kEntrySize = 8, kDataEntrySize = 16;
constexpr uint32_t kSubdirectory = 0x80000000, kNamedEntry = 0x80000000;
// Far more than any language library holds; they bound directories whose
// entries all lead to the same large subdirectory.
constexpr size_t kMostResources = 4096;
constexpr uint32_t kMostEntries = 0x10000;
constexpr uint32_t kStringsPerBlock = 16;

struct Walk {
  firmware::ImageReader& file;
  const std::vector<PeSection>& sections;
  int64_t fileSize;
  int64_t base;   // file position of the resource section's directory
  uint32_t size;  // of the resource data named by the data directory
  std::vector<Resource>* resources;
  std::string* fault;
  uint32_t entriesSeen = 0;
};

// One directory at `offset` from the section's start; `level` 0 (types),
// 1 (names) or 2 (languages).
bool WalkDirectory(Walk& w, uint32_t offset, int level, Resource partial) {
  uint8_t header[kDirectoryHeaderSize];
  if (offset > w.size || w.size - offset < kDirectoryHeaderSize ||
      !w.file.ReadAt(static_cast<uint64_t>(w.base) + offset, header, sizeof header)) {
    *w.fault = "a resource directory lies outside the resource data";
    return false;
  }
  const uint32_t entries =
      uint32_t{little_endian::Load16(header + 12)} + little_endian::Load16(header + 14);
  if (uint64_t{entries} * kEntrySize > w.size - offset - kDirectoryHeaderSize) {
    *w.fault = "a resource directory's entries run past the resource data";
    return false;
  }
  for (uint32_t i = 0; i < entries; ++i) {
    if (++w.entriesSeen > kMostEntries) {
      *w.fault = "more than " + std::to_string(kMostEntries) + " resource directory entries";
      return false;
    }
    uint8_t entry[kEntrySize];
    if (!w.file.ReadAt(static_cast<uint64_t>(w.base) + offset + kDirectoryHeaderSize +
                           uint64_t{i} * kEntrySize,
                       entry, sizeof entry)) {
      *w.fault = "a resource directory cannot be read";
      return false;
    }
    const uint32_t id = little_endian::Load32(entry);
    const uint32_t target = little_endian::Load32(entry + 4);
    if ((id & kNamedEntry) && level < 2) continue;
    Resource resource = partial;
    if (level == 0) resource.type = id;
    if (level == 1) resource.name = id;
    if (level == 2) resource.language = static_cast<uint16_t>(id);
    const bool subdirectory = (target & kSubdirectory) != 0;
    if (subdirectory != (level < 2)) {
      *w.fault = "the resource directory is not three levels deep";
      return false;
    }
    if (subdirectory) {
      if (!WalkDirectory(w, target & ~kSubdirectory, level + 1, resource)) return false;
      continue;
    }
    uint8_t data[kDataEntrySize];
    if (target > w.size || w.size - target < kDataEntrySize ||
        !w.file.ReadAt(static_cast<uint64_t>(w.base) + target, data, sizeof data)) {
      *w.fault = "a resource's data entry lies outside the resource data";
      return false;
    }
    resource.size = little_endian::Load32(data + 4);
    if (!FilePosition(w.sections, little_endian::Load32(data), resource.size, &resource.position) ||
        resource.position + resource.size > w.fileSize) {
      *w.fault = "the data of resource " + std::to_string(resource.name) + " of type " +
                 std::to_string(resource.type) + " lies outside the file";
      return false;
    }
    if (w.resources->size() == kMostResources) {
      *w.fault = "more than " + std::to_string(kMostResources) + " resources";
      return false;
    }
    w.resources->push_back(resource);
  }
  return true;
}

}  // namespace

bool ReadResources(firmware::ImageReader& file, const PeHeaders& headers,
                   const std::vector<PeSection>& sections, std::vector<Resource>* resources,
                   std::string* fault) {
  resources->clear();
  uint32_t address = 0, size = 0;
  if (!ReadDataDirectory(file, headers, kResourceDirectory, &address, &size) || size == 0)
    return true;
  int64_t base = 0;
  if (!FilePosition(sections, address, size, &base)) {
    *fault = "the resource data lies outside the file's sections";
    return false;
  }
  Walk walk{file, sections, headers.fileSize, base, size, resources, fault};
  return WalkDirectory(walk, 0, 0, Resource{});
}

bool ReadStringBlock(firmware::ImageReader& file, const Resource& block,
                     std::vector<std::u16string>* strings) {
  strings->assign(kStringsPerBlock, std::u16string());
  uint64_t at = static_cast<uint64_t>(block.position);
  const uint64_t end = at + block.size;
  for (std::u16string& text : *strings) {
    uint8_t field[2];
    if (end - at < sizeof field || !file.ReadAt(at, field, sizeof field)) return false;
    at += sizeof field;
    const uint32_t units = little_endian::Load16(field);
    if (end - at < uint64_t{units} * 2) return false;
    for (uint32_t i = 0; i < units; ++i, at += 2) {
      if (!file.ReadAt(at, field, sizeof field)) return false;
      text += static_cast<char16_t>(little_endian::Load16(field));
    }
  }
  return true;
}

}  // namespace orvpack
