// make_machine_image PROFILE.json IMAGE.bin: the machine image a test
// driver starts from, made from the same profile the simulated notebook
// reads.
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "machine_tools.h"
#include "os/sim/profile.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_machine_image PROFILE.json IMAGE.bin\n");
    return 2;
  }
  sim::Profile profile;
  std::string error;
  if (!sim::LoadProfile(argv[1], &profile, &error)) {
    std::fprintf(stderr, "make_machine_image: %s\n", error.c_str());
    return 1;
  }
  std::vector<uint8_t> image;
  try {
    image = machine_tools::MakeImage(profile.json);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_machine_image: %s: %s\n", argv[1], e.what());
    return 1;
  }
  // Written beside the target and renamed, so a driver never meets half a file.
  const std::string partial = std::string(argv[2]) + ".partial";
  std::ofstream out(partial, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()),
            static_cast<std::streamsize>(image.size()));
  out.close();
  if (!out || std::rename(partial.c_str(), argv[2]) != 0) {
    std::remove(partial.c_str());
    std::fprintf(stderr, "make_machine_image: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
