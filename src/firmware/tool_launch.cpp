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
// first). False when there is no work directory or program, a quote
// inside the path would end the quoting early, or the whole does not fit.
bool BuildProcessCommandLine(const char* commandLine, std::string* line) {
  const std::string work = core::Shared().WorkDirectory;
  const std::string tool = commandLine;
  const size_t programEnd = tool.find(' ');
  const std::string program = tool.substr(0, programEnd);
  const std::string arguments = programEnd == std::string::npos ? "" : tool.substr(programEnd);
  if (work.empty() || program.empty()) return false;
  if ((work + program).find('"') != std::string::npos) return false;
  *line = '"' + work + program + '"' + arguments;
  return line->size() < kProcessCommandLineSize;
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
  if (!BuildProcessCommandLine(commandLine, &line)) {
    core::WriteLog("Bios command refused : %s%s", core::Shared().WorkDirectory, commandLine);
    return run;
  }
  core::WriteLog("Bios command : %s", line);
  if (g_marks.started) g_marks.started(task);
  const os::ProcessOutcome outcome =
      os::Os().processes->RunAndWait(line, core::Shared().WorkDirectory);
  switch (outcome.ending) {
    case os::ProcessOutcome::Ending::kExited:
      run.ending = ToolRun::Ending::kExited;
      run.exitCode = static_cast<int32_t>(outcome.exitCode);
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
