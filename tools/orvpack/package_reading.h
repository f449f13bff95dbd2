// What list, verify and extract share: opening a package for reading and
// describing a member's record and data in one line.
#pragma once

#include <string>

#include "commands.h"
#include "member_decoder.h"
#include "package_file.h"

namespace orvpack {

// Opens the package named by the single argument of `command`; on failure
// complains and gives the exit code in `*status`.
bool OpenForCommand(const std::string& command, const std::string& path, HostFile* file,
                    PackageFacts* facts, int* status);
// The same for the package that is the only argument of `command`.
bool OpenPackageArgument(const std::string& command, const Arguments& args, HostFile* file,
                         PackageFacts* facts, int* status);

// "member 3 "AddMem.sys.gz"".
std::string MemberLabel(const MemberEntry& entry);

// How the chain of records ended, when it did not end as it should (empty
// otherwise): truncation, a negative size, bytes after the last member
// other than a code signature placed as signing tools place it.
std::string ChainFault(HostFile& file, const ChainResult& chain, const PackageFacts& facts);

// "gzip", "stored (not gzip: copied unchanged)" or "empty".
const char* KindText(DecodedMember::Kind kind);

}  // namespace orvpack
