#include "run_summary.h"

#include <cstdio>
#include <sstream>
#include <string_view>
#include <vector>

#include "app/options.h"
#include "core/results.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "os/ascii_case.h"
#include "os/sim/transcript.h"

namespace orvsim {
namespace {

struct ResultName {
  core::ResultCode code;
  const char* name;
};

constexpr ResultName kResultNames[] = {
    {core::ResultDiskSpace, "ResultDiskSpace"},
    {core::ResultInitFailed, "ResultInitFailed"},
    {core::ResultUnpackFailed, "ResultUnpackFailed"},
    {core::ResultHddPassword, "ResultHddPassword"},
    {core::ResultDriverLoad, "ResultDriverLoad"},
    {core::ResultModelMismatch, "ResultModelMismatch"},
    {core::ResultToolModelMismatch, "ResultToolModelMismatch"},
    {core::ResultMicomFailed, "ResultMicomFailed"},
    {core::ResultBiosFile, "ResultBiosFile"},
    {core::ResultMicomFile, "ResultMicomFile"},
    {core::ResultSmiEnable, "ResultSmiEnable"},
    {core::ResultInvalidOption, "ResultInvalidOption"},
    {core::ResultDirectory, "ResultDirectory"},
    {core::ResultNoAcAdapter, "ResultNoAcAdapter"},
    {core::ResultBatteryLow, "ResultBatteryLow"},
    {core::ResultNoPowerSource, "ResultNoPowerSource"},
    {core::ResultBiosDate, "ResultBiosDate"},
};

std::string ResultNameOf(uint32_t code) {
  for (const ResultName& result : kResultNames)
    if (result.code == code) return result.name;
  return "a code outside the result table";  // the exit code column says which
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The last "Step" line of the work directory's log: where a Phoenix run
// stopped. Empty before the work directory exists and on the AMI path.
std::string LastStep(sim::Notebook& notebook) {
  const std::string work = core::Shared().WorkDirectory;
  std::string log;
  if (work.empty() || !notebook.files().Get(work + "DebugLog.txt", &log)) return {};
  std::istringstream lines(log);
  std::string step;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (StartsWith(line, "Step ")) step = line;
  }
  return step;
}

std::string At(const std::string& what, const std::string& step) {
  return step.empty() ? what : what + " at " + step;
}

// "messagebox: [TITLE] TEXT (type 0xNN, owner O, answer N)".
struct MessageBoxLine {
  std::string shown = "none";  // "[TITLE] TEXT"
  bool confirmationCancelled = false;
};

MessageBoxLine LastMessageBox(const std::vector<std::string>& transcript) {
  constexpr std::string_view kKind = "messagebox: ";
  constexpr std::string_view kConfirmation = " (type 0x41, ";
  MessageBoxLine last;
  for (const std::string& line : transcript) {
    if (!StartsWith(line, kKind)) continue;
    size_t details = line.rfind(" (type 0x");
    if (details == std::string::npos) details = line.size();
    last.shown = line.substr(kKind.size(), details - kKind.size());
    // The start-up warning is the one box with OK and Cancel (type 0x41).
    last.confirmationCancelled = line.compare(details, kConfirmation.size(), kConfirmation) == 0 &&
                                 EndsWith(line, ", answer 2)");
  }
  return last;
}

std::string Ending(const RunOutcome& outcome, const std::vector<std::string>& transcript,
                   bool confirmationCancelled, const std::string& step) {
  constexpr std::string_view kExitWindows = "power: ExitWindowsEx ";
  switch (outcome.end) {
    case RunOutcome::End::kDeadlock:
      return "waits for ever: " + sim::Escape(outcome.what);
    case RunOutcome::End::kProcessEnded:
      if (!transcript.empty() && StartsWith(transcript.back(), kExitWindows) &&
          EndsWith(transcript.back(), ": the session ends"))
        return "power-off";
      return At("process ended", step);
    case RunOutcome::End::kReturned:
    case RunOutcome::End::kProfileFault:  // SummariseRun's own line
      break;
  }
  if (outcome.code != core::ResultSuccess) return At(ResultNameOf(outcome.code), step);
  if (confirmationCancelled) return "Cancel";
  const uint32_t flags = core::Shared().UpdateFlags;
  if (flags & core::ReadBios) return "read-BIOS, no power-off";
  if (flags & core::DmiOnly) return "DMI-only, no power-off";
  return "no power-off";
}

// The MICOM tool's program, as the updater names it: the first word of
// its command line.
std::string_view MicomProgram() {
  const std::string_view line = app::kMicomDefault;
  return line.substr(0, line.find(' '));
}

// "process: COMMAND LINE (in WORKDIR): ...": the tools run in the work
// directory, their program part quoted.
void FindToolCommandLines(const std::vector<std::string>& transcript, RunSummary* summary) {
  constexpr std::string_view kKind = "process: ";
  const std::string where = " (in " + std::string(core::Shared().WorkDirectory) + "): ";
  for (const std::string& line : transcript) {
    const size_t end = line.find(where);
    if (!StartsWith(line, kKind) || end == std::string::npos) continue;
    const std::string handed = line.substr(kKind.size(), end - kKind.size());
    const size_t programEnd = handed.find('"', 1);
    const std::string program = handed.substr(0, programEnd);
    const std::string name = program.substr(program.find_last_of('\\') + 1);
    std::string& column =
        ascii_case::Same(name, MicomProgram()) ? summary->micomTool : summary->flashTool;
    column = column == "none" ? handed : column + " ; " + handed;
  }
}

}  // namespace

RunSummary ProfileNotLoaded(const std::string& why) {
  return {"profile not loaded: " + sim::Escape(why), "-", "-", "-", "-"};
}

RunSummary SummariseRun(const RunOutcome& outcome, sim::Notebook& notebook) {
  if (outcome.end == RunOutcome::End::kProfileFault) return ProfileNotLoaded(outcome.what);
  const std::vector<std::string>& transcript = notebook.transcript().Lines();
  const MessageBoxLine box = LastMessageBox(transcript);
  RunSummary summary;
  summary.ending = Ending(outcome, transcript, box.confirmationCancelled, LastStep(notebook));
  summary.exitCode = "-";
  if (outcome.end == RunOutcome::End::kReturned || outcome.end == RunOutcome::End::kProcessEnded) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", outcome.code);
    summary.exitCode = code;
  }
  summary.message = box.shown;
  summary.flashTool = summary.micomTool = "none";
  FindToolCommandLines(transcript, &summary);
  return summary;
}

}  // namespace orvsim
