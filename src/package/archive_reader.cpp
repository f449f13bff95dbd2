#include "package/archive_reader.h"

namespace package {

os::FileHandle OpenPackageFile(const std::string& path) {
  return os::Os().files->Open(path, os::Access::kRead, os::Disposition::kOpenExisting,
                              os::Share::kRead);
}

bool ReadExactly(os::File& file, void* buffer, uint32_t size) {
  uint8_t* bytes = static_cast<uint8_t*>(buffer);
  uint32_t have = 0;
  // Each pass either takes at least one byte or ends the loop.
  while (have < size) {
    uint32_t got = 0;
    if (!file.Read(bytes + have, size - have, &got) || got == 0) return false;
    have += got;
  }
  return true;
}

ArchiveResult ReadPackageHeader(os::File& file, uint32_t offset, uint32_t* values, int words) {
  if (offset > kMaxPosition) return ArchiveNotPacked;
  if (offset != 0 && !file.SeekTo(offset)) return ArchiveNotPacked;
  uint8_t bytes[kHeaderSize];
  if (!ReadExactly(file, bytes, sizeof kMagic) || !HasMagic(bytes)) return ArchiveNotPacked;
  const uint32_t size = static_cast<uint32_t>(words) * 4;
  if (!ReadExactly(file, bytes + 4, size)) return ArchiveExtractFailed;
  for (int i = 0; i < words; ++i) values[i] = Load32(bytes + 4 + 4 * i);
  return ArchiveSuccess;
}

bool ReadRecordHeader(os::File& file, RecordHeader* record) {
  uint8_t bytes[kRecordHeaderSize];
  if (!ReadExactly(file, bytes, sizeof bytes)) return false;
  for (size_t i = 0; i < kNameSize; ++i) record->name[i] = bytes[i];
  record->size = static_cast<int32_t>(Load32(bytes + kNameSize));
  return true;
}

}  // namespace package
