// orvpack list: the package's header and one line per member.
#include <cinttypes>
#include <cstdio>

#include "commands.h"
#include "flags_word.h"
#include "package_reading.h"

namespace orvpack {

int RunList(const Arguments& args) {
  HostFile file;
  PackageFacts facts;
  int status = kExitOk;
  if (!OpenPackageArgument("list", args, &file, &facts, &status)) return status;
  std::printf("package:        %s\n", args[0].c_str());
  std::printf("archive offset: 0x%08X (%u)\n", static_cast<unsigned>(facts.offset),
              static_cast<unsigned>(facts.offset));
  std::printf("flags word:     %s\n", DescribeFlagsWord(facts.flags).c_str());
  std::printf("members:        %d\n", static_cast<int>(facts.count));
  if (facts.signature.offset != 0)
    std::printf("signature:      %s\n", DescribeSignature(facts.signature).c_str());
  if (facts.count > 0)
    std::printf("%5s %12s %12s %-8s %-6s %s\n", "#", "stored", "extracted", "CRC-32", "data",
                "name");
  const ChainResult chain = WalkMembers(file, facts, [&](const MemberEntry& entry) {
    DecodedMember decoded;
    std::string ioError;
    if (!DecodeMember(file, static_cast<uint32_t>(entry.size), nullptr, &decoded, &ioError)) {
      Complain("list: " + ioError);
      status = kExitIo;
      return false;
    }
    std::printf("%5d %12d ", static_cast<int>(entry.index + 1), static_cast<int>(entry.size));
    if (decoded.damage.empty())
      std::printf("%12" PRIu64 " %08X %-6s ", decoded.size, static_cast<unsigned>(decoded.crc),
                  KindText(decoded.kind));
    else
      std::printf("%12s %-8s %-6s ", "-", "-", "DAMAGED");
    std::printf("%s", entry.printableName.c_str());
    const std::string nameProblem = NameProblem(entry);
    if (!nameProblem.empty()) std::printf("  (%s)", nameProblem.c_str());
    if (!decoded.damage.empty()) std::printf("  (%s)", decoded.damage.c_str());
    std::printf("\n");
    if (!nameProblem.empty() || !decoded.damage.empty()) status = kExitFaults;
    return true;
  });
  const std::string fault = ChainFault(file, chain, facts);
  if (!fault.empty()) {
    std::printf("%s\n", fault.c_str());
    if (status == kExitOk) status = kExitFaults;
  }
  return status;
}

}  // namespace orvpack
