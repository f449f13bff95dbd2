// orvpack: builds, lists, verifies and extracts update packages (the
// updater executable with its payload archive appended).
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "core/update_flags.h"

namespace orvpack {
namespace {

void PrintUsage(std::FILE* stream) {
  std::fputs(
      "usage:\n"
      "  orvpack build --updater EXE --flags WORD --output PACKAGE [--payload FOLDER] [FILE...]\n"
      "  orvpack list PACKAGE\n"
      "  orvpack verify PACKAGE\n"
      "  orvpack check PACKAGE\n"
      "  orvpack extract PACKAGE FOLDER [--force]\n"
      "  orvpack --help\n"
      "\n"
      "build    appends the members (the payload folder's files in name order, then the FILEs)\n"
      "         gzip-compressed to a copy of EXE and writes the archive offset into its DOS\n"
      "         header. WORD is a number (8, 0x28) or flag names joined by '|' or ','.\n"
      "list     shows the archive offset, the flags word and each member's stored size,\n"
      "         extracted size and CRC-32.\n"
      "verify   checks every member as the updater would extract it; one line per fault.\n"
      "check    verify, then whether the package can update the machines it is meant for: its\n"
      "         images, flash tools, MICOM files, driver, language libraries and flags word;\n"
      "         one line per error or warning, naming the machines it affects.\n"
      "extract  writes the members into FOLDER (made when missing); refuses unsafe names and\n"
      "         does not replace existing files without --force.\n"
      "\n"
      "exit codes: 0 success, 1 the package is damaged, check found an error or build refused\n"
      "            its inputs, 2 wrong command line, 3 a file could not be opened, read or\n"
      "            written, 4 check found warnings and no error\n"
      "\n"
      "flag names:\n",
      stream);
  for (const core::UpdateFlagName& flag : core::kUpdateFlagNames)
    std::fprintf(stream, "  0x%08X %s\n", static_cast<unsigned>(flag.value), flag.name);
}

}  // namespace

void Complain(const std::string& text) {
  std::fprintf(stderr, "orvpack: %s\n", text.c_str());
}

}  // namespace orvpack

int main(int argc, char** argv) {
  using namespace orvpack;
  if (argc < 2) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  const std::string command = argv[1];
  const Arguments args(argv + 2, argv + argc);
  if (command == "--help" || command == "-h" || command == "help") {
    PrintUsage(stdout);
    return kExitOk;
  }
  if (command == "build") return RunBuild(args);
  if (command == "list") return RunList(args);
  if (command == "verify") return RunVerify(args);
  if (command == "check") return RunCheck(args);
  if (command == "extract") return RunExtract(args);
  Complain("unknown command \"" + command + "\" (try orvpack --help)");
  return kExitUsage;
}
