// make_substitute_scripts PROFILE.json FOLDER: writes FOLDER/NAME.script
// for each entry of the profile's "utilities" section, the scripts the
// substitute programs run by under Wine (the simulated notebook reads the
// same entries), and prints "start-fails NAME" for each utility the
// profile says cannot be started: the harness then ships NAME.exe as a
// file that is not a program.
#include <cstdio>
#include <stdexcept>

#include "os/sim/host_files.h"
#include "os/sim/profile.h"
#include "os/sim/utility_profile.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_substitute_scripts PROFILE.json FOLDER\n");
    return 2;
  }
  sim::Profile profile;
  std::string error;
  if (!sim::LoadProfile(argv[1], &profile, &error)) {
    std::fprintf(stderr, "make_substitute_scripts: %s\n", error.c_str());
    return 1;
  }
  try {
    for (const auto& [name, setup] : sim::ReadUtilitySetups(profile.json)) {
      const std::string path = std::string(argv[2]) + "/" + name + ".script";
      if (!sim::WriteHostFile(path, std::string(setup.script.begin(), setup.script.end()))) {
        std::fprintf(stderr, "make_substitute_scripts: cannot write %s\n", path.c_str());
        return 1;
      }
      if (setup.startFails) std::printf("start-fails %s\n", name.c_str());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_substitute_scripts: %s: %s\n", argv[1], e.what());
    return 1;
  }
  return 0;
}
