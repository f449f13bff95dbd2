#include "package/archive.h"

#include "core/shared_state.h"
#include "package/archive_reader.h"

namespace package {

const char* ArchiveResultText(ArchiveResult result) {
  switch (result) {
    case ArchiveSuccess:
      return "Success";
    case ArchiveEmpty:
      return "Archive empty; no files to extract";
    case ArchivePathError:
      return "Error in supplied Path";
    case ArchiveCreateFailed:
      return "Could not create output archive file";
    case ArchiveNotPacked:
      return "Not a valid packed file";
    case ArchiveExtractFailed:
      return "Failed while extracting one of the files";
    case ArchiveOpenFailed:
      return "Input archive file failed to open";
  }
  return "Unknown archive result";
}

ArchiveResult ReadArchiveOffset(const std::string& path, uint32_t* offset) {
  os::FileHandle file = OpenPackageFile(path);
  if (!file) return ArchiveOpenFailed;
  uint8_t header[kDosHeaderSize] = {};
  uint32_t got = 0;
  file->Read(header, sizeof header, &got);
  // A file too short to hold the word carries no archive.
  *offset = got >= kArchiveOffsetField + 4 ? Load32(header + kArchiveOffsetField) : 0;
  return ArchiveSuccess;
}

ArchiveResult ProbePackageHeader(const std::string& path, uint32_t offset) {
  os::FileHandle file = OpenPackageFile(path);
  if (!file) return ArchiveOpenFailed;
  uint32_t flags = 0;
  const ArchiveResult result = ReadPackageHeader(*file, offset, &flags, 1);
  if (result == ArchiveSuccess) core::Shared().UpdateFlags = flags;
  return result;
}

}  // namespace package
