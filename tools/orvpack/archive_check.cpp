#include "archive_check.h"

#include <set>

#include "commands.h"
#include "os/ascii_case.h"
#include "package_reading.h"

namespace orvpack {

bool CheckArchive(const std::string& command, HostFile& file, const PackageFacts& facts,
                  const ArchiveReport& report, int* status) {
  if (facts.count < 0)
    report.fault("the member count " + std::to_string(facts.count) +
                 " is negative: the updater extracts nothing");
  if (facts.count == 0) report.fault("the archive is empty: the updater's extraction fails");

  std::set<std::string> names;
  bool readable = true;
  const ChainResult chain = WalkMembers(file, facts, [&](const MemberEntry& entry) {
    const std::string label = MemberLabel(entry);
    const std::string nameProblem = NameProblem(entry);
    if (!nameProblem.empty()) report.fault(label + ": " + nameProblem);
    if (!entry.name.empty() && !names.insert(ascii_case::Folded(entry.name)).second)
      report.fault(label + ": a second member of this name (letter case aside) replaces the first");
    ArchiveMember member{entry, {}};
    std::string ioError;
    if (!DecodeMember(file, static_cast<uint32_t>(entry.size), nullptr, &member.decoded,
                      &ioError)) {
      Complain(command + ": " + ioError);
      *status = kExitIo;
      readable = false;
      return false;
    }
    if (!member.decoded.damage.empty())
      report.fault(label + ": damaged gzip data (" + member.decoded.damage +
                   "): the updater ends with exit status 1");
    else if (member.decoded.trailingBytes != 0)
      report.fault(label + ": " + std::to_string(member.decoded.trailingBytes) +
                   " bytes after the gzip data, which the updater drops without a word");
    if (member.decoded.kind == DecodedMember::Kind::kStored)
      report.note(label + " is stored without gzip; the updater copies it unchanged");
    report.member(member);
    return true;
  });
  if (!readable) return false;
  const std::string chainFault = ChainFault(file, chain, facts);
  if (!chainFault.empty()) report.fault(chainFault);
  return true;
}

}  // namespace orvpack
