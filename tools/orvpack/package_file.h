// Reading an existing package: the executable's DOS header, the archive
// header and the chain of member records, with every size checked against
// the file, so that a damaged package is described rather than trusted.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "code_signature.h"
#include "host_files.h"
#include "package/member_name.h"

namespace orvpack {

struct PackageFacts {
  int64_t fileSize = 0;
  uint32_t offset = 0;  // of the archive, from the DOS header
  uint32_t flags = 0;
  int32_t count = 0;
  CodeSignature signature;
};

// Opens `path` and reads its headers. False with `*message` set when the
// file cannot be read, is no executable or carries no archive; `*ioError`
// tells a file that could not be read from one that is not a package.
bool OpenPackage(const std::string& path, HostFile* file, PackageFacts* facts, std::string* message,
                 bool* ioError);

struct MemberEntry {
  int32_t index = 0;
  int64_t position = 0;  // of the record header
  int32_t size = 0;
  std::string name;  // the stored name (when terminated)
  package::NameFault nameFault = package::NameFault::kNone;
  std::string printableName;
};

enum class ChainEnd {
  kComplete,      // every record read; `endPosition` is where the chain ends
  kTruncated,     // the file ends inside a record header or its data
  kNegativeSize,  // a record's size is negative; the chain cannot be followed
  kStopped,       // the visitor stopped the walk
};

struct ChainResult {
  ChainEnd end = ChainEnd::kComplete;
  int64_t endPosition = 0;
  MemberEntry last;  // the record the walk ended on, for kTruncated and kNegativeSize
};

// Walks the records (none for a negative count). `visit` sees each record
// whose data lies inside the file, with the file positioned at the data; it
// may read any part of the data and returns false to stop the walk.
ChainResult WalkMembers(HostFile& file, const PackageFacts& facts,
                        const std::function<bool(const MemberEntry&)>& visit);

}  // namespace orvpack
