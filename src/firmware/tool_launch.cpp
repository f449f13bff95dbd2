#include "firmware/tool_launch.h"

#include <string>

#include "core/log.h"
#include "core/shared_state.h"
#include "os/os.h"

namespace firmware {
namespace {

ToolTaskMarks g_marks;

// `"WORKDIR\PROGRAM" ARGUMENTS`: quoted, the program part cannot be read
// as a shorter program when the path has blanks (XP's TEMP lies under
// "Documents and Settings": unquoted, "C:\Documents.exe" would be tried
// first). kRefused when there is no work directory or program, or a quote
// inside the path would end the quoting early; kTooLong when the whole
// does not fit.
ToolRun::Ending BuildProcessCommandLine(const char* commandLine, std::string* line) {
  const std::string work = core::Shared().WorkDirectory;
  const std::string tool = commandLine;
  const size_t programEnd = tool.find(' ');
  const std::string program = tool.substr(0, programEnd);
  const std::string arguments = programEnd == std::string::npos ? "" : tool.substr(programEnd);
  if (work.empty() || program.empty()) return ToolRun::Ending::kRefused;
  if ((work + program).find('"') != std::string::npos) return ToolRun::Ending::kRefused;
  *line = '"' + work + program + '"' + arguments;
  return line->size() < kProcessCommandLineSize ? ToolRun::Ending::kExited
                                                : ToolRun::Ending::kTooLong;
}

// NTSTATUS values of error severity that Windows defines (customer bit
// clear): what the system leaves as the exit code of a process it ended.
bool IsSystemFailureStatus(uint32_t exitCode) {
  return (exitCode & 0xE0000000) == 0xC0000000;
}

}  // namespace

ToolTaskMarks& TaskMarks() {
  return g_marks;
}

void MarkTaskDone(ToolTask task) {
  if (g_marks.done) g_marks.done(task);
}

ToolRun LaunchTool(ToolTask task, const char* commandLine) {
  ToolRun run;
  std::string line;
  run.ending = BuildProcessCommandLine(commandLine, &line);
  if (run.ending == ToolRun::Ending::kTooLong) {
    run.length = line.size();
    core::WriteLog("Bios command too long : %u characters, at most %u", run.length,
                   kProcessCommandLineSize - 1);
  }
  if (run.ending != ToolRun::Ending::kExited) {
    core::WriteLog("Bios command refused : %s%s", core::Shared().WorkDirectory, commandLine);
    return run;
  }
  core::WriteLog("Bios command : %s", line);
  if (g_marks.started) g_marks.started(task);
  const os::ProcessOutcome outcome =
      os::Os().processes->RunAndWait(line, core::Shared().WorkDirectory);
  switch (outcome.ending) {
    case os::ProcessOutcome::Ending::kExited:
      run.exitCode = static_cast<int32_t>(outcome.exitCode);
      if (!IsSystemFailureStatus(outcome.exitCode)) {
        run.ending = ToolRun::Ending::kExited;
        break;
      }
      run.ending = ToolRun::Ending::kEndedBySystem;
      core::WriteLog("Bios command ended by the system : 0x%08X", outcome.exitCode);
      break;
    case os::ProcessOutcome::Ending::kNotStarted:
      run.ending = ToolRun::Ending::kNotStarted;
      run.error = outcome.error;
      core::WriteLog("Bios command not started : error %u", outcome.error);
      break;
    case os::ProcessOutcome::Ending::kExitCodeUnknown:
      run.ending = ToolRun::Ending::kExitCodeUnknown;
      run.error = outcome.error;
      core::WriteLog("Bios command exit code unknown : error %u", outcome.error);
      break;
  }
  return run;
}

}  // namespace firmware
