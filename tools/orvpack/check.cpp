// orvpack check: whether a package can update the machines it is meant
// for. Beyond the archive's soundness (the archive check verify makes), it
// reads the package as the updater will meet it on each Windows family and
// firmware path: the images, the flash tool sets, the MICOM files, the
// legacy driver, the language libraries and the flags word.
#include <cstdio>

#include "archive_check.h"
#include "check_parts.h"
#include "commands.h"
#include "package_reading.h"

namespace orvpack {

int RunCheck(const Arguments& args) {
  HostFile file;
  PackageFacts facts;
  int status = kExitOk;
  if (!OpenPackageArgument("check", args, &file, &facts, &status)) return status;
  const std::string& path = args[0];
  CheckReport report(path);
  PackageCatalog catalog;
  ArchiveReport archive;
  archive.fault = [&](const std::string& text) { report.Error(kEveryMachine, text); };
  archive.note = [&](const std::string& text) { report.Info(kEveryMachine, text); };
  archive.member = [&](const ArchiveMember& member) { catalog.Add(member); };
  if (!CheckArchive("check", file, facts, archive, &status)) return status;

  CheckContext context{file, facts.flags, catalog, report};
  context.phoenix = !catalog.FilesEndingIn(".wph").empty();
  context.ami = catalog.File("bios.rom") != nullptr;
  CheckFlagsWord(context);
  CheckFirmwarePaths(context);
  CheckLanguageLibraries(context);

  if (report.errors() == 0 && report.warnings() == 0) {
    std::printf("%s: OK: no error or warning\n", path.c_str());
    return kExitOk;
  }
  std::printf("%s: %d error%s, %d warning%s\n", path.c_str(), report.errors(),
              report.errors() == 1 ? "" : "s", report.warnings(),
              report.warnings() == 1 ? "" : "s");
  return report.errors() != 0 ? kExitFaults : kExitWarnings;
}

}  // namespace orvpack
