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

// The longest stored name a package may carry. The updater creates every
// member under its stored name in the work directory, and a Windows path
// holds at most 259 characters: 160 leaves room for a work directory of 99,
// longer than the usual ones (Windows XP's for a 20-character user name,
// "C:\Documents and Settings\...\Local Settings\Temp\__Orvanta_Update\", is 84).
inline constexpr size_t kLongestStoredName = 160;

// "member 3 "AddMem.sys.gz"".
std::string MemberLabel(const MemberEntry& entry);

// Why the updater would stumble over the member's name (empty when it would
// not): a name the rule refuses, no lower-case ".gz" (the updater ends with
// exit status 1), or longer than kLongestStoredName.
std::string NameProblem(const MemberEntry& entry);
// The length limit alone, for names not yet in a package.
std::string NameLengthProblem(const std::string& stored);

// How the chain of records ended, when it did not end as it should (empty
// otherwise): truncation, a negative size, bytes after the last member
// other than a code signature placed as signing tools place it.
std::string ChainFault(HostFile& file, const ChainResult& chain, const PackageFacts& facts);

// "gzip", "stored (not gzip: copied unchanged)" or "empty".
const char* KindText(DecodedMember::Kind kind);

}  // namespace orvpack
