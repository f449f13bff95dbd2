// Reading steps shared by the header probe and the two extractions.
#pragma once

#include <cstdint>
#include <string>

#include "os/os.h"
#include "package/archive.h"
#include "package/layout.h"

namespace package {

// Opens a package file for reading, others may read too. Null on failure.
os::FileHandle OpenPackageFile(const std::string& path);

// Reads exactly `size` bytes; false when the file delivers fewer.
bool ReadExactly(os::File& file, void* buffer, uint32_t size);

// Positions `file` at the archive and reads its magic and the `words`
// 32-bit words after it (the flags word, then the member count) into
// `values`. ArchiveNotPacked when the magic is not there (or the offset lies
// beyond a signed 32-bit position), ArchiveExtractFailed when the file ends
// inside the words.
ArchiveResult ReadPackageHeader(os::File& file, uint32_t offset, uint32_t* values, int words);

struct RecordHeader {
  uint8_t name[kNameSize];
  int32_t size;
};

// False when the file ends inside the record header.
bool ReadRecordHeader(os::File& file, RecordHeader* record);

}  // namespace package
