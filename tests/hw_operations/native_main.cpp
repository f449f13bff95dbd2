// hw_operations_native PROFILE.json: the same operations on the simulated
// notebook, followed by its hardware's state ("state " lines, as
// print_machine_state prints a test driver's state file), so that the Wine
// run can be compared with it line for line.
#include <cstdio>
#include <sstream>
#include <string>

#include "machine_tools.h"
#include "operations.h"
#include "os/sim/host_files.h"
#include "os/sim/notebook.h"
#include "os/sim/sim_devices.h"

int main(int argc, char** argv) {
  std::string text, error;
  sim::Profile profile;
  if (argc != 2 || !sim::ReadHostFile(argv[1], &text) ||
      !sim::ParseProfile(text, &profile, &error)) {
    std::fprintf(stderr, "usage: hw_operations_native PROFILE.json %s\n", error.c_str());
    return 2;
  }
  sim::ScratchFolder scratch("hw-operations");
  sim::Notebook notebook(profile, scratch.path());
  notebook.Install();
  hw_operations::RunAll();
  machine_tools::MachineFile image, state;
  if (!machine_tools::ParseMachineFile(machine_tools::MakeImage(profile.json),
                                       machine_file::Kind::kImage, &image, &error) ||
      !machine_tools::ParseMachineFile(
          machine_tools::StateBytes(notebook.devices().Machine(), 60, machine::Driver::kTorq),
          machine_file::Kind::kState, &state, &error)) {
    std::fprintf(stderr, "hw_operations_native: %s\n", error.c_str());
    return 2;
  }
  std::istringstream lines(machine_tools::DescribeState(state, &image));
  for (std::string line; std::getline(lines, line);) std::printf("state %s\n", line.c_str());
  return 0;
}
