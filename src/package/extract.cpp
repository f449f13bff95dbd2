#include "package/extract.h"

#include <algorithm>
#include <string_view>

#include "core/shared_state.h"
#include "package/archive_reader.h"
#include "package/diagnostics.h"
#include "package/gunzip.h"
#include "package/member_name.h"

namespace package {
namespace {

constexpr uint32_t kCopyBufferSize = 4096;

// The stored name of a record, or the end of the process when it is not a
// safe file name: nothing is written under such a name.
std::string CheckedName(const RecordHeader& record) {
  std::string stored;
  const NameFault fault = CheckNameField(record.name, &stored);
  if (fault == NameFault::kNone) return stored;
  const char* field = reinterpret_cast<const char*>(record.name);
  EndExtraction(
      ProgramName() + ": damaged package: member name \"" +
      PrintableName(std::string_view(field, std::find(field, field + kNameSize, '\0') - field)) +
      "\" " + NameFaultText(fault));
}

// Copies the member's `size` bytes of data from the archive's current
// position to a new file under its stored name. On failure the copy is
// deleted, so no partial file stays behind.
ArchiveResult CopyMember(os::File& archive, const std::string& storedName, int32_t size) {
  os::FileSystem& files = *os::Os().files;
  os::FileHandle output =
      files.Open(storedName, os::Access::kWrite, os::Disposition::kCreateAlways, os::Share::kRead);
  if (!output) return ArchiveCreateFailed;
  uint8_t buffer[kCopyBufferSize];
  uint32_t remaining = static_cast<uint32_t>(size);
  while (remaining > 0) {
    const uint32_t chunk = std::min(remaining, kCopyBufferSize);
    uint32_t written = 0;
    if (!ReadExactly(archive, buffer, chunk) || !output->Write(buffer, chunk, &written) ||
        written != chunk) {
      output.reset();
      files.Remove(storedName);
      return ArchiveExtractFailed;
    }
    remaining -= chunk;
  }
  return ArchiveSuccess;
}

// Copies and decompresses the member whose record header was just read.
ArchiveResult ExtractMember(os::File& archive, const RecordHeader& record) {
  const std::string stored = CheckedName(record);
  if (record.size < 0) return ArchiveExtractFailed;
  const ArchiveResult copied = CopyMember(archive, stored, record.size);
  if (copied != ArchiveSuccess) return copied;
  GunzipMember(stored);
  return ArchiveSuccess;
}

bool BeginsWithIgnoringCase(const uint8_t* field, std::string_view prefix) {
  if (prefix.size() > kNameSize) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    unsigned char a = field[i];
    unsigned char b = static_cast<unsigned char>(prefix[i]);
    if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

}  // namespace

ArchiveResult ExtractAllMembers(const std::string& path, uint32_t offset) {
  os::FileHandle archive = OpenPackageFile(path);
  core::Shared().UpdateFlags = 0;
  if (!archive) return ArchiveOpenFailed;
  uint32_t header[2] = {};
  const ArchiveResult result = ReadPackageHeader(*archive, offset, header, 2);
  if (result != ArchiveSuccess) return result;
  core::Shared().UpdateFlags = header[0];
  const int32_t count = static_cast<int32_t>(header[1]);
  if (count == 0) return ArchiveEmpty;
  // Each member consumes at least its record header, so a count larger than
  // the file holds ends at the first short read.
  for (int32_t i = 0; i < count; ++i) {
    RecordHeader record;
    if (!ReadRecordHeader(*archive, &record)) return ArchiveExtractFailed;
    const ArchiveResult extracted = ExtractMember(*archive, record);
    if (extracted != ArchiveSuccess) return extracted;
  }
  return ArchiveSuccess;
}

bool ExtractSingleMember(const char* name) {
  const std::string path = os::Os().system->ModulePath();
  if (path.empty()) return false;
  uint32_t offset = 0;
  if (ReadArchiveOffset(path, &offset) != ArchiveSuccess || offset == 0) return false;
  os::FileHandle archive = OpenPackageFile(path);
  if (!archive) return false;
  uint32_t header[2] = {};
  if (ReadPackageHeader(*archive, offset, header, 2) != ArchiveSuccess) return false;
  const int32_t count = static_cast<int32_t>(header[1]);
  const std::string_view wanted(name);
  int64_t position = int64_t{offset} + kHeaderSize;
  // Positions only grow, by at least a record header per member, so the walk
  // ends at the file's end even when the count is larger than the file holds.
  for (int32_t i = 0; i < count; ++i) {
    RecordHeader record;
    if (!ReadRecordHeader(*archive, &record) || record.size < 0) return false;
    position += kRecordHeaderSize;
    if (BeginsWithIgnoringCase(record.name, wanted))
      return ExtractMember(*archive, record) == ArchiveSuccess;
    position += record.size;
    if (position > kMaxPosition || !archive->SeekTo(position)) return false;
  }
  return false;
}

}  // namespace package
