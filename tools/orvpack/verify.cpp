// orvpack verify: everything the updater would stumble over, one line per
// fault, before a package ships.
#include <cstdio>

#include "archive_check.h"
#include "commands.h"
#include "core/update_flags.h"
#include "flags_word.h"
#include "package_reading.h"

namespace orvpack {

int RunVerify(const Arguments& args) {
  HostFile file;
  PackageFacts facts;
  int status = kExitOk;
  if (!OpenPackageArgument("verify", args, &file, &facts, &status)) return status;
  const std::string& path = args[0];
  if ((facts.flags & ~core::kKnownUpdateFlags) != 0)
    std::printf("%s: note: the flags word %s has bits without a meaning\n", path.c_str(),
                DescribeFlagsWord(facts.flags).c_str());
  int faults = 0, gzip = 0, stored = 0, empty = 0;
  ArchiveReport report;
  report.fault = [&](const std::string& text) {
    std::printf("%s: FAULT: %s\n", path.c_str(), text.c_str());
    ++faults;
  };
  report.note = [&](const std::string& text) {
    std::printf("%s: note: %s\n", path.c_str(), text.c_str());
  };
  report.member = [&](const ArchiveMember& member) {
    if (!member.decoded.damage.empty()) return;
    switch (member.decoded.kind) {
      case DecodedMember::Kind::kGzip:
        ++gzip;
        break;
      case DecodedMember::Kind::kStored:
        ++stored;
        break;
      case DecodedMember::Kind::kEmpty:
        ++empty;
        break;
    }
  };
  if (!CheckArchive("verify", file, facts, report, &status)) return status;
  if (faults != 0) {
    std::printf("%s: %d fault%s\n", path.c_str(), faults, faults == 1 ? "" : "s");
    return kExitFaults;
  }
  std::printf("%s: OK: %d members (%d gzip, %d stored, %d empty), flags %s\n", path.c_str(),
              static_cast<int>(facts.count), gzip, stored, empty,
              DescribeFlagsWord(facts.flags).c_str());
  if (facts.signature.offset != 0)
    std::printf("%s: signed after the archive: %s\n", path.c_str(),
                DescribeSignature(facts.signature).c_str());
  return kExitOk;
}

}  // namespace orvpack
