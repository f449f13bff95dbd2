// The archive's soundness as the updater extracts it, which verify reports
// and check reports first: faults (what the updater would stumble over),
// notes, and each member with what its data decodes to.
#pragma once

#include <functional>
#include <string>

#include "member_decoder.h"
#include "package_file.h"

namespace orvpack {

struct ArchiveMember {
  MemberEntry entry;
  DecodedMember decoded;
};

struct ArchiveReport {
  std::function<void(const std::string&)> fault;
  std::function<void(const std::string&)> note;
  std::function<void(const ArchiveMember&)> member;  // every member whose data lies in the file
};

// False when the package could not be read: `command` has complained and
// `*status` is the exit code.
bool CheckArchive(const std::string& command, HostFile& file, const PackageFacts& facts,
                  const ArchiveReport& report, int* status);

}  // namespace orvpack
