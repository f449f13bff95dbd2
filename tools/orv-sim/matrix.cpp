#include "matrix.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "notebook_run.h"
#include "os/sim/transcript.h"
#include "run_summary.h"

namespace orvsim {
namespace {

namespace fs = std::filesystem;

// The documented profiles: beside the program (a copied tool takes its
// profiles along), else in the source tree it was built from.
std::string DocumentedProfiles() {
  std::error_code failed;
  const fs::path program = fs::read_symlink("/proc/self/exe", failed);
  if (!failed && fs::is_directory(program.parent_path() / "profiles", failed))
    return (program.parent_path() / "profiles").string();
  return ORV_SOURCE_PROFILES;
}

bool ListProfiles(const std::string& folder, std::vector<fs::path>* profiles) {
  std::error_code failed;
  for (fs::directory_iterator entry(folder, failed), end; !failed && entry != end;
       entry.increment(failed)) {
    if (entry->path().extension() == ".json" && entry->is_regular_file(failed))
      profiles->push_back(entry->path());
  }
  std::sort(profiles->begin(), profiles->end());
  return !failed;
}

void PrintLine(const std::string& profile, const RunSummary& run) {
  std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", profile.c_str(), run.ending.c_str(), run.exitCode.c_str(),
              run.message.c_str(), run.flashTool.c_str(), run.micomTool.c_str());
}

// The line of one profile; false when the profile could not be used.
bool RunProfile(const fs::path& path, const std::string& package, const std::string& commandLine) {
  const std::string name = sim::Escape(path.stem().string());
  sim::Profile profile;
  std::string error;
  NotebookRun run;
  if (!LoadRunProfile(path.string(), &profile, &error) ||
      !run.Boot(std::move(profile), package, "", &error)) {
    PrintLine(name, ProfileNotLoaded(error));
    return false;
  }
  const RunOutcome outcome = run.Run(commandLine);
  PrintLine(name, SummariseRun(outcome, run.notebook()));
  return outcome.end != RunOutcome::End::kProfileFault;
}

}  // namespace

int RunMatrix(const MatrixRequest& request) {
  std::string package;
  if (!sim::ReadHostFile(request.packagePath, &package)) {
    std::fprintf(stderr, "orv-sim: cannot read package %s\n", request.packagePath.c_str());
    return 2;
  }
  const std::string folder =
      request.profilesFolder.empty() ? DocumentedProfiles() : request.profilesFolder;
  std::vector<fs::path> profiles;
  if (!ListProfiles(folder, &profiles) || profiles.empty()) {
    std::fprintf(stderr, "orv-sim: no profiles (*.json) in %s\n", folder.c_str());
    return 2;
  }
  std::printf("# package %s, options \"%s\", profiles in %s\n", request.packagePath.c_str(),
              request.commandLine.c_str(), folder.c_str());
  std::printf("profile\tending\texit code\tmessage\tflash command line\tMICOM command line\n");
  bool everyProfileRan = true;
  for (const fs::path& profile : profiles)
    everyProfileRan = RunProfile(profile, package, request.commandLine) && everyProfileRan;
  return everyProfileRan ? 0 : 1;
}

}  // namespace orvsim
