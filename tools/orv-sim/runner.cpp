#include "runner.h"

#include <cstdio>
#include <sstream>

#include "app/options.h"
#include "app/sequence_state.h"
#include "core/results.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "identity_report.h"
#include "notebook_run.h"
#include "os/sim/host_files.h"
#include "os/sim/notebook.h"
#include "os/sim/sim_devices.h"

namespace orvsim {
namespace {

// The package header word of the release package.
constexpr uint32_t kReleaseHeaderWord = core::FlashLastArea;

std::string FlagNames(uint32_t flags) {
  const std::string names = core::UpdateFlagNames(flags);
  return names.empty() ? "none" : names;
}

void PrintTranscript(const sim::Transcript& transcript) {
  for (const std::string& line : transcript.Lines()) std::printf("  %s\n", line.c_str());
}

// What the run decided and what the memory-access drivers were asked.
void PrintRunState(sim::Notebook& notebook) {
  const app::SequenceState& sequence = app::Sequence();
  const uint32_t flags = core::Shared().UpdateFlags;
  std::printf("run state:\n");
  std::printf("  firmware:          %s\n", sequence.AmiFirmware ? "AMI" : "Phoenix");
  std::printf("  UpdateFlags:       0x%08X (%s)\n", flags, FlagNames(flags).c_str());
  std::printf("  FlashCommandLine:  %s\n", sequence.FlashCommandLine);
  std::printf("  MicomCommandLine:  %s\n", sequence.MicomCommandLine);
  const machine::Machine& m = notebook.devices().Machine();
  static constexpr const char* kDrivers[] = {"TORQ", "KMDFMEMIO", "ADDMEM", "MEMIO.VXD"};
  std::printf("  driver requests:  ");
  for (int i = 0; i < 4; ++i)
    std::printf(" %s %u (refused %u)%s", kDrivers[i], m.requests[i], m.refused[i],
                i < 3 ? "," : "\n");
}

void PrintWorkDirectory(sim::Notebook& notebook) {
  const std::string work = core::Shared().WorkDirectory;
  if (work.empty()) {
    std::printf("work directory: not prepared\n");
    return;
  }
  std::vector<std::string> names;
  notebook.files().Enumerate(work + "*.*", &names);
  std::printf("files left in %s:\n", work.c_str());
  for (const std::string& name : names)
    if (name != "." && name != "..") std::printf("  %s\n", name.c_str());
  std::string log;
  if (notebook.files().Get(work + "DebugLog.txt", &log)) {
    std::printf("DebugLog.txt:\n");
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::printf("  %s\n", line.c_str());
    }
  }
}

}  // namespace

int ShowOptions(const std::string& commandLine, bool amiPath, bool sixtyFourBit) {
  sim::ScratchFolder scratch("orv-sim");
  sim::Notebook notebook(sim::Profile{}, scratch.path());
  notebook.Install();
  app::ResetRunState();
  core::Shared().UpdateFlags = kReleaseHeaderWord;
  std::string text = commandLine;
  char* micom = app::Sequence().MicomCommandLine;
  char* flash = app::Sequence().FlashCommandLine;
  const core::ResultCode result =
      amiPath ? app::ParseAmiOptions(micom, flash, text.data(), sixtyFourBit)
              : app::ParseOptions(micom, flash, text.data());
  std::printf("command line:      %s\n", commandLine.c_str());
  std::printf("path:              %s\n",
              amiPath ? (sixtyFourBit ? "AMI, 64-bit Windows" : "AMI, 32-bit Windows") : "Phoenix");
  std::printf("package header:    0x%08X (%s)\n", kReleaseHeaderWord,
              FlagNames(kReleaseHeaderWord).c_str());
  std::printf("result:            0x%08X\n", result);
  std::printf("UpdateFlags:       0x%08X (%s)\n", core::Shared().UpdateFlags,
              FlagNames(core::Shared().UpdateFlags).c_str());
  std::printf("FlashCommandLine:  %s\n", flash);
  std::printf("MicomCommandLine:  %s\n", micom);
  if (result != core::ResultSuccess) {
    core::ReportResult(result);
    std::printf("reporter:\n");
    PrintTranscript(notebook.transcript());
  }
  return result == core::ResultSuccess ? 0 : 1;
}

int ShowResultMessages() {
  sim::ScratchFolder scratch("orv-sim");
  sim::Notebook notebook(sim::Profile{}, scratch.path());
  notebook.Install();
  core::ModelMismatch() = {"<current model>", "<current part>", "<new model>", "<new part>"};
  for (uint32_t code = 0x80000001; code <= 0x80000013; ++code) {
    app::ResetRunState();
    notebook.transcript().Clear();
    core::ReportResult(code);
    std::printf("0x%08X:\n", code);
    if (notebook.transcript().Lines().empty()) std::printf("  (no message)\n");
    PrintTranscript(notebook.transcript());
  }
  core::ModelMismatch() = {};
  return 0;
}

int RunUpdateOnNotebook(const RunRequest& request) {
  sim::Profile profile;
  std::string error, package;
  if (!LoadRunProfile(request.profilePath, &profile, &error)) {
    std::fprintf(stderr, "orv-sim: %s\n", error.c_str());
    return 2;
  }
  if (!request.packagePath.empty() && !sim::ReadHostFile(request.packagePath, &package)) {
    std::fprintf(stderr, "orv-sim: cannot read package %s\n", request.packagePath.c_str());
    return 2;
  }
  NotebookRun run;
  if (!run.Boot(profile, package, request.scratch, &error)) {
    std::fprintf(stderr, "orv-sim: %s\n", error.c_str());
    return 2;
  }
  const RunOutcome outcome = run.Run(request.commandLine);
  uint32_t code = outcome.code;
  std::string ending = "returned";
  switch (outcome.end) {
    case RunOutcome::End::kReturned:
      break;
    case RunOutcome::End::kProcessEnded:
      ending = "process ended";
      break;
    case RunOutcome::End::kDeadlock:
      std::printf("DEADLOCK: %s\n", outcome.what.c_str());
      code = 0xDEAD;
      ending = "deadlock";
      break;
    case RunOutcome::End::kProfileFault:
      std::fprintf(stderr, "orv-sim: %s\n", outcome.what.c_str());
      return 2;
  }
  sim::Notebook& notebook = run.notebook();
  std::printf("profile: %s\n", profile.name.empty() ? "(built-in default)" : profile.name.c_str());
  std::printf("command line: %s\n", request.commandLine.c_str());
  std::printf("transcript:\n");
  PrintTranscript(notebook.transcript());
  PrintRunState(notebook);
  PrintWorkDirectory(notebook);
  std::printf("exit code: 0x%08X (%d, %s)\n", code, static_cast<int32_t>(code), ending.c_str());
  return static_cast<int>(code & 0xFF);
}

int ShowIdentity(const std::string& profilePath, bool diag) {
  sim::Profile profile;
  std::string error;
  if (!sim::LoadProfile(profilePath, &profile, &error)) {
    std::fprintf(stderr, "orv-sim: %s\n", error.c_str());
    return 2;
  }
  sim::ScratchFolder scratch("orv-sim");
  try {
    sim::Notebook notebook(profile, scratch.path());
    notebook.Install();
    app::ResetRunState();
    core::Shared().UpdateFlags = diag ? core::UseDiagRecord : 0;
    // Where the updater would have staged its ADDMEM driver from the package.
    notebook.files().ChangeDirectory(notebook.profile().startDirectory);
    notebook.files().Put("ADDMEM.SYS", "driver");
    for (const std::string& line : ReadIdentityLines()) std::printf("%s\n", line.c_str());
    const machine::Machine& m = notebook.devices().Machine();
    std::printf("driver requests: %u\n",
                m.requests[0] + m.requests[1] + m.requests[2] + m.requests[3]);
  } catch (const sim::ProcessExit& exit) {
    std::printf("the process ended with 0x%08X (no memory driver)\n", exit.code);
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orv-sim: %s\n", e.what());
    return 2;
  }
  return 0;
}

}  // namespace orvsim
