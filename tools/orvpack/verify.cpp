// orvpack verify: everything the updater would stumble over, one line per
// fault, before a package ships.
#include <cstdio>
#include <set>

#include "commands.h"
#include "core/update_flags.h"
#include "flags_word.h"
#include "package_reading.h"

namespace orvpack {

int RunVerify(const Arguments& args) {
  if (args.size() != 1) {
    Complain("verify: give one package");
    return kExitUsage;
  }
  const std::string& path = args[0];
  HostFile file;
  PackageFacts facts;
  int status = kExitOk;
  if (!OpenForCommand("verify", path, &file, &facts, &status)) return status;
  int faults = 0;
  auto fault = [&](const std::string& text) {
    std::printf("%s: FAULT: %s\n", path.c_str(), text.c_str());
    ++faults;
  };
  if (facts.count < 0)
    fault("the member count " + std::to_string(facts.count) +
          " is negative: the updater extracts nothing");
  if (facts.count == 0) fault("the archive is empty: the updater's extraction fails");
  if ((facts.flags & ~core::kKnownUpdateFlags) != 0)
    std::printf("%s: note: the flags word %s has bits without a meaning\n", path.c_str(),
                DescribeFlagsWord(facts.flags).c_str());

  std::set<std::string> names;
  int gzip = 0, stored = 0, empty = 0;
  const ChainResult chain = WalkMembers(file, facts, [&](const MemberEntry& entry) {
    const std::string label = MemberLabel(entry);
    if (entry.nameFault != package::NameFault::kNone) {
      fault(label + ": the name " + package::NameFaultText(entry.nameFault) +
            ": the updater refuses it and ends with exit status 1");
    } else if (!package::HasCompressedSuffix(entry.name)) {
      fault(label + ": the name does not end in \".gz\": the updater ends with exit status 1");
    }
    if (!entry.name.empty() && !names.insert(FoldCase(entry.name)).second)
      fault(label + ": a second member of this name (letter case aside) replaces the first");
    DecodedMember decoded;
    std::string ioError;
    if (!DecodeMember(file, static_cast<uint32_t>(entry.size), nullptr, &decoded, &ioError)) {
      Complain("verify: " + ioError);
      status = kExitIo;
      return false;
    }
    if (!decoded.damage.empty()) {
      fault(label + ": damaged gzip data (" + decoded.damage +
            "): the updater ends with exit status 1");
      return true;
    }
    if (decoded.trailingBytes != 0)
      fault(label + ": " + std::to_string(decoded.trailingBytes) +
            " bytes after the gzip data, which the updater drops without a word");
    switch (decoded.kind) {
      case DecodedMember::Kind::kGzip:
        ++gzip;
        break;
      case DecodedMember::Kind::kEmpty:
        ++empty;
        break;
      case DecodedMember::Kind::kStored:
        ++stored;
        std::printf("%s: note: %s is stored without gzip; the updater copies it unchanged\n",
                    path.c_str(), label.c_str());
        break;
    }
    return true;
  });
  if (status != kExitOk) return status;
  const std::string chainFault = ChainFault(file, chain, facts);
  if (!chainFault.empty()) fault(chainFault);
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
