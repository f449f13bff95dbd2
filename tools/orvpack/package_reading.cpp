#include "package_reading.h"

#include "commands.h"

namespace orvpack {

bool OpenForCommand(const std::string& command, const std::string& path, HostFile* file,
                    PackageFacts* facts, int* status) {
  std::string message;
  bool ioError = false;
  if (OpenPackage(path, file, facts, &message, &ioError)) return true;
  Complain(command + ": " + message);
  *status = ioError ? kExitIo : kExitFaults;
  return false;
}

bool OpenPackageArgument(const std::string& command, const Arguments& args, HostFile* file,
                         PackageFacts* facts, int* status) {
  if (args.size() != 1) {
    Complain(command + ": give one package");
    *status = kExitUsage;
    return false;
  }
  return OpenForCommand(command, args[0], file, facts, status);
}

std::string MemberLabel(const MemberEntry& entry) {
  return "member " + std::to_string(entry.index + 1) + " \"" + entry.printableName + "\"";
}

std::string NameLengthProblem(const std::string& stored) {
  if (stored.size() <= kLongestStoredName) return {};
  return "the name is " + std::to_string(stored.size()) + " bytes long, more than the " +
         std::to_string(kLongestStoredName) + " a work directory leaves room for";
}

std::string NameProblem(const MemberEntry& entry) {
  if (entry.nameFault != package::NameFault::kNone)
    return std::string("the name ") + package::NameFaultText(entry.nameFault) +
           ": the updater refuses it and ends with exit status 1";
  if (!package::HasCompressedSuffix(entry.name))
    return "the name does not end in \".gz\": the updater ends with exit status 1";
  return NameLengthProblem(entry.name);
}

std::string ChainFault(HostFile& file, const ChainResult& chain, const PackageFacts& facts) {
  switch (chain.end) {
    case ChainEnd::kTruncated:
      return "the file ends inside " + MemberLabel(chain.last) + " (record at offset " +
             std::to_string(chain.last.position) + ")";
    case ChainEnd::kNegativeSize:
      return MemberLabel(chain.last) + " has the negative size " + std::to_string(chain.last.size);
    case ChainEnd::kStopped:
      return {};
    case ChainEnd::kComplete:
      break;
  }
  // A package signed after it was built ends in its certificate table.
  if (facts.signature.offset != 0)
    return SignaturePlacementFault(file, facts.signature, chain.endPosition, facts.fileSize);
  if (facts.count > 0 && chain.endPosition != facts.fileSize)
    return std::to_string(facts.fileSize - chain.endPosition) +
           " bytes follow the last member: the record chain ends before the file";
  return {};
}

const char* KindText(DecodedMember::Kind kind) {
  switch (kind) {
    case DecodedMember::Kind::kGzip:
      return "gzip";
    case DecodedMember::Kind::kStored:
      return "stored";
    case DecodedMember::Kind::kEmpty:
      return "empty";
  }
  return "?";
}

}  // namespace orvpack
