// print_machine_state STATE.bin [IMAGE.bin]: a test driver's state as text;
// with the image it started from, memory, EC RAM and CMOS show only what
// changed.
#include <cstdio>

#include "machine_tools.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: print_machine_state STATE.bin [IMAGE.bin]\n");
    return 2;
  }
  machine_tools::MachineFile state, image;
  std::string error;
  if (!machine_tools::ReadMachineFile(argv[1], machine_file::Kind::kState, &state, &error) ||
      (argc == 3 &&
       !machine_tools::ReadMachineFile(argv[2], machine_file::Kind::kImage, &image, &error))) {
    std::fprintf(stderr, "print_machine_state: %s\n", error.c_str());
    return 1;
  }
  const std::string text = machine_tools::DescribeState(state, argc == 3 ? &image : nullptr);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}
