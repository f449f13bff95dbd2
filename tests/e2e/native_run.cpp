// e2e_native_run: the run the Wine harness makes, on the simulated notebook,
// printed as the observation both routes share (docs/wine-tests.md), so that
// the two can be compared line for line.
//
// usage: e2e_native_run PROFILE.json PATCH_JSON PACKAGE DRIVER [--identity] [-- OPTION...]
//   PATCH_JSON  merged into the profile: what the Wine prefix reports (TEMP,
//               power, width, language) and the user's answers
//   DRIVER      torq, kmdfmemio, addmem, memiovxd: whose state file the Wine
//               run reads; "none" when no driver is expected to answer
//   --identity  after the run, read the firmware identity in the same boot,
//               as the Wine route's identity_probe.exe does
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/sequence_state.h"
#include "app/update.h"
#include "core/shared_state.h"
#include "identity_report.h"
#include "machine_tools.h"
#include "os/sim/host_files.h"
#include "os/sim/notebook.h"
#include "os/sim/sim_devices.h"

namespace {

bool DriverByName(const std::string& name, machine::Driver* driver) {
  static const struct {
    const char* name;
    machine::Driver driver;
  } kDrivers[] = {{"torq", machine::Driver::kTorq},
                  {"kmdfmemio", machine::Driver::kKmdfMemIo},
                  {"addmem", machine::Driver::kAddMem},
                  {"memiovxd", machine::Driver::kMemIoVxd}};
  for (const auto& d : kDrivers)
    if (name == d.name) {
      *driver = d.driver;
      return true;
    }
  return false;
}

// The lines of a log file, each prefixed with `label`.
void PrintLog(sim::Notebook& notebook, const std::string& path, const char* label) {
  std::string log;
  if (!notebook.files().Get(path, &log)) return;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::printf("%s %s\n", label, line.c_str());
  }
}

void PrintEntries(sim::Notebook& notebook, const std::string& folder, const char* label) {
  std::vector<std::string> names;
  notebook.files().Enumerate(folder + "\\*.*", &names);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names)
    if (name != "." && name != "..") std::printf("%s %s\n", label, name.c_str());
}

// A transcript's escaped standard-error text as the lines a console shows.
void PrintStandardError(std::string text) {
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\\n") == 0)
    text.resize(text.size() - 2);
  for (size_t at; (at = text.find("\\n")) != std::string::npos;) text.replace(at, 2, "\n");
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) std::printf("stderr %s\n", line.c_str());
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "e2e_native_run: %s\n", why.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5)
    return Fail(
        "usage: e2e_native_run PROFILE.json PATCH_JSON PACKAGE DRIVER [--identity] [-- OPTION...]");
  sim::Profile profile;
  std::string error, package;
  if (!sim::LoadProfile(argv[1], &profile, &error)) return Fail(error);
  if (!sim::ReadHostFile(argv[3], &package)) return Fail(std::string("cannot read ") + argv[3]);
  machine::Driver driver{};
  const bool withState = std::strcmp(argv[4], "none") != 0;
  if (withState && !DriverByName(argv[4], &driver))
    return Fail(std::string("unknown driver ") + argv[4]);
  int next = 5;
  const bool identity = next < argc && std::strcmp(argv[next], "--identity") == 0;
  if (identity) ++next;
  std::string commandLine;
  for (int i = next + 1; i < argc; ++i)
    commandLine += (commandLine.empty() ? "" : " ") + std::string(argv[i]);

  nlohmann::json json = profile.json;
  const nlohmann::json patch = nlohmann::json::parse(argv[2], nullptr, false);
  if (patch.is_discarded()) return Fail("the patch is not JSON");
  json.merge_patch(patch);
  if (!sim::ParseProfile(json.dump(), &profile, &error)) return Fail(error);

  sim::ScratchFolder scratch("e2e-native");
  if (scratch.path().empty()) return Fail("no scratch folder");
  uint32_t code = 0;
  {
    sim::Notebook notebook(profile, scratch.path());
    notebook.files().Put(notebook.profile().modulePath, package);
    notebook.Install();
    app::ResetRunState();
    try {
      code = app::RunUpdate(commandLine.data());
    } catch (const sim::ProcessExit& exit) {
      code = exit.code;
    } catch (const sim::Deadlock& deadlock) {
      std::printf("deadlock %s\n", deadlock.what.c_str());
    }
    // The probe is a process of its own: a fresh run state, the same boot.
    std::vector<std::string> identityLines;
    if (identity) {
      app::ResetRunState();
      identityLines = orvsim::ReadIdentityLines();
    }

    std::printf("exit 0x%08X\n", code);
    for (const std::string& box : notebook.transcript().Of("messagebox"))
      std::printf("box %s\n", box.c_str());
    const std::string temp = profile.temp.value_or("C:");
    const std::string work = temp + "\\__Orvanta_Update";
    for (const std::string& text : notebook.transcript().Of("stderr")) PrintStandardError(text);
    PrintLog(notebook, temp + "\\DebugLog.txt", "temp-log");
    PrintEntries(notebook, temp, "temp-entry");
    PrintLog(notebook, work + "\\DebugLog.txt", "work-log");
    PrintEntries(notebook, work, "work-entry");
    for (const std::string& line : identityLines) std::printf("identity %s\n", line.c_str());

    if (withState) {
      machine_tools::MachineFile image, state;
      if (!machine_tools::ParseMachineFile(machine_tools::MakeImage(json),
                                           machine_file::Kind::kImage, &image, &error) ||
          !machine_tools::ParseMachineFile(
              machine_tools::StateBytes(notebook.devices().Machine(), 60, driver),
              machine_file::Kind::kState, &state, &error))
        return Fail(error);
      std::istringstream lines(machine_tools::DescribeState(state, &image));
      for (std::string line; std::getline(lines, line);) std::printf("state %s\n", line.c_str());
    }
  }
  return 0;
}
