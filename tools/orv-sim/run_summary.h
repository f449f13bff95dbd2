// What one run comes to, as a release engineer reads it: how it ended, its
// exit code, the last message the user saw and the command lines handed to
// the flash and MICOM tools. Read from what the notebook recorded (the
// transcript, the work directory's log) and the run's flags word.
#pragma once

#include <string>

#include "notebook_run.h"

namespace orvsim {

struct RunSummary {
  std::string ending;     // "power-off", "ResultHddPassword at Step 00", "Cancel", ...
  std::string exitCode;   // "0x80000004"; "-" when the run never ends
  std::string message;    // "[title] text" of the last message box, or "none"
  std::string flashTool;  // the command line as handed to the system, or "none"
  std::string micomTool;
};

RunSummary SummariseRun(const RunOutcome& outcome, sim::Notebook& notebook);
// The line of a profile that cannot be used (also one whose section read
// during the run is invalid).
RunSummary ProfileNotLoaded(const std::string& why);

}  // namespace orvsim
