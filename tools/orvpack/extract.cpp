// orvpack extract: the members into a folder, with the updater's name
// safety, and without overwriting anything unless asked to.
#include <cinttypes>
#include <cstdio>
#include <set>

#include "commands.h"
#include "os/ascii_case.h"
#include "package_reading.h"

namespace orvpack {
namespace {

struct ExtractOptions {
  std::string package, folder;
  bool force = false;
};

bool ParseExtractOptions(const Arguments& args, ExtractOptions* options) {
  std::vector<std::string> positional;
  for (const std::string& arg : args) {
    if (arg == "--force")
      options->force = true;
    else if (arg.size() > 1 && arg[0] == '-') {
      Complain("extract: unknown option " + arg);
      return false;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) {
    Complain("extract: give a package and a folder");
    return false;
  }
  options->package = positional[0];
  options->folder = positional[1];
  return true;
}

// Checks every record before anything is written: names the updater would
// refuse, duplicates, files that would be overwritten, a broken chain.
bool CheckBeforeExtracting(HostFile& file, const PackageFacts& facts,
                           const ExtractOptions& options) {
  bool sound = true;
  if (facts.count <= 0) {
    Complain("extract: the package holds no members");
    return false;
  }
  std::set<std::string> names;
  const ChainResult chain = WalkMembers(file, facts, [&](const MemberEntry& entry) {
    const std::string label = MemberLabel(entry);
    const std::string nameProblem = NameProblem(entry);
    if (!nameProblem.empty()) {
      Complain("extract: " + label + ": " + nameProblem);
      sound = false;
    } else if (!names.insert(ascii_case::Folded(entry.name)).second) {
      Complain("extract: " + label + ": a second member of this name");
      sound = false;
    } else if (!options.force) {
      const std::string target =
          JoinPath(options.folder, std::string(package::ExtractedName(entry.name)));
      // A link of the name counts, even one that leads nowhere.
      if (EntryExists(target)) {
        Complain("extract: " + target + " exists (use --force to replace it)");
        sound = false;
      }
    }
    return true;
  });
  const std::string fault = ChainFault(file, chain, facts);
  if (!fault.empty()) {
    Complain("extract: " + fault);
    sound = false;
  }
  return sound;
}

}  // namespace

int RunExtract(const Arguments& args) {
  ExtractOptions options;
  if (!ParseExtractOptions(args, &options)) return kExitUsage;
  HostFile file;
  PackageFacts facts;
  int status = kExitOk;
  if (!OpenForCommand("extract", options.package, &file, &facts, &status)) return status;
  if (!CheckBeforeExtracting(file, facts, options)) return kExitFaults;
  const EntryKind folder = KindOf(options.folder);
  if (folder != EntryKind::kFolder &&
      (folder != EntryKind::kMissing || !MakeFolder(options.folder))) {
    Complain("extract: cannot make the folder " + options.folder);
    return kExitIo;
  }
  WalkMembers(file, facts, [&](const MemberEntry& entry) {
    const std::string target =
        JoinPath(options.folder, std::string(package::ExtractedName(entry.name)));
    // A new file of its own, moved into place under --force: an existing
    // file or link is replaced as an entry of the folder, and nothing is
    // ever written through a link, which could lead outside the folder (nor
    // deleted through one, as Wine's DeleteFile would).
    const std::string written = options.force ? target + ".partial" : target;
    HostFile out;
    if (!out.CreateNew(written)) {
      Complain("extract: cannot create " + written);
      status = kExitIo;
      return false;
    }
    DecodedMember decoded;
    std::string ioError;
    const bool read = DecodeMember(
        file, static_cast<uint32_t>(entry.size),
        [&](const uint8_t* data, size_t size) { return out.WriteAll(data, size); }, &decoded,
        &ioError);
    const bool closed = out.Close();
    const bool placed = read && closed && decoded.damage.empty() &&
                        (written == target || MoveOver(written, target));
    if (!placed) {
      // Nothing incomplete stays under the member's name.
      RemoveFile(written);
      if (!read || !closed) {
        Complain("extract: " + (read ? "cannot write " + written : ioError));
        status = kExitIo;
      } else if (!decoded.damage.empty()) {
        Complain("extract: " + MemberLabel(entry) + ": damaged gzip data (" + decoded.damage + ")");
        status = kExitFaults;
      } else {
        Complain("extract: cannot replace " + target);
        status = kExitIo;
      }
      return false;
    }
    std::printf("%s (%" PRIu64 " bytes, %s)\n", target.c_str(), decoded.size,
                KindText(decoded.kind));
    return true;
  });
  return status;
}

}  // namespace orvpack
