#include "package_file.h"

#include "package/layout.h"

namespace orvpack {

bool OpenPackage(const std::string& path, HostFile* file, PackageFacts* facts, std::string* message,
                 bool* ioError) {
  *ioError = true;
  if (!file->Open(path, "rb")) {
    *message = "cannot open " + path;
    return false;
  }
  facts->fileSize = file->Size();
  if (facts->fileSize < 0) {
    *message = "cannot read " + path;
    return false;
  }
  *ioError = false;
  uint8_t dos[package::kDosHeaderSize];
  if (facts->fileSize < static_cast<int64_t>(sizeof dos) || !file->ReadExactly(dos, sizeof dos) ||
      dos[0] != 'M' || dos[1] != 'Z') {
    *message = path + " is not an executable: no \"MZ\" DOS header";
    return false;
  }
  facts->offset = package::Load32(dos + package::kArchiveOffsetField);
  if (facts->offset == 0) {
    *message = path + " carries no package: the archive offset word at byte 40 is 0";
    return false;
  }
  if (facts->offset < package::kDosHeaderSize || facts->offset > package::kMaxPosition) {
    *message = path + ": the archive offset " + std::to_string(facts->offset) +
               " overlaps the DOS header or lies beyond 2 GiB";
    return false;
  }
  uint8_t header[package::kHeaderSize];
  if (int64_t{facts->offset} + static_cast<int64_t>(sizeof header) > facts->fileSize ||
      !file->Seek(facts->offset) || !file->ReadExactly(header, sizeof header)) {
    *message = path + ": the file ends inside the archive header at offset " +
               std::to_string(facts->offset);
    return false;
  }
  if (!package::HasMagic(header)) {
    *message = path + ": no \"LPCK\" archive at offset " + std::to_string(facts->offset);
    return false;
  }
  facts->flags = package::Load32(header + 4);
  facts->count = static_cast<int32_t>(package::Load32(header + 8));
  facts->signature = ReadCodeSignature(*file, facts->fileSize);
  return true;
}

ChainResult WalkMembers(HostFile& file, const PackageFacts& facts,
                        const std::function<bool(const MemberEntry&)>& visit) {
  ChainResult result;
  int64_t position = int64_t{facts.offset} + static_cast<int64_t>(package::kHeaderSize);
  // Every record takes at least its header, so the walk ends at the file's
  // end however large the count.
  for (int32_t index = 0; index < facts.count; ++index) {
    MemberEntry& entry = result.last;
    entry = MemberEntry{};
    entry.index = index;
    entry.position = position;
    uint8_t header[package::kRecordHeaderSize];
    if (position + static_cast<int64_t>(sizeof header) > facts.fileSize || !file.Seek(position) ||
        !file.ReadExactly(header, sizeof header)) {
      result.end = ChainEnd::kTruncated;
      return result;
    }
    entry.size = static_cast<int32_t>(package::Load32(header + package::kNameSize));
    entry.nameFault = package::CheckNameField(header, &entry.name);
    entry.printableName = package::PrintableName(
        entry.nameFault == package::NameFault::kNotTerminated
            ? std::string(reinterpret_cast<const char*>(header), package::kNameSize)
            : entry.name);
    if (entry.size < 0) {
      result.end = ChainEnd::kNegativeSize;
      return result;
    }
    const int64_t next = position + static_cast<int64_t>(sizeof header) + entry.size;
    if (next > facts.fileSize) {
      result.end = ChainEnd::kTruncated;
      return result;
    }
    if (!visit(entry)) {
      result.end = ChainEnd::kStopped;
      return result;
    }
    position = next;
  }
  result.endPosition = position;
  return result;
}

}  // namespace orvpack
