// Starting an outside utility (the BIOS flash tool or the MICOM tool) from
// the work directory and learning how it ended.
#pragma once

#include <cstddef>
#include <cstdint>

namespace firmware {

// The process command line, work-directory path and tool command line
// together, holds this many characters with its terminator.
inline constexpr size_t kProcessCommandLineSize = 512;

// The progress dialog's tasks that a tool run marks.
enum class ToolTask { kFlashBios, kFlashMicom };

// The dialog lies above this layer, so the sequence installs its marks
// here; a mark that is not installed is skipped.
struct ToolTaskMarks {
  void (*started)(ToolTask task) = nullptr;
  void (*done)(ToolTask task) = nullptr;
};
ToolTaskMarks& TaskMarks();
void MarkTaskDone(ToolTask task);

struct ToolRun {
  enum class Ending {
    kExited,           // the tool ran; exitCode is what it returned
    kEndedBySystem,    // exitCode is a system failure status: it never ran, or it crashed
    kTooLong,          // the process command line would not fit; nothing was started
    kRefused,          // no work directory or program, or a quote in the path; nothing started
    kNotStarted,       // the process could not be created
    kExitCodeUnknown,  // it was started, but how it ended cannot be read
  };
  Ending ending = Ending::kRefused;
  int32_t exitCode = 0;  // kExited, kEndedBySystem
  uint32_t error = 0;    // the system's error number: kNotStarted, kExitCodeUnknown
  size_t length = 0;     // kTooLong: the characters the process command line would have had
};

// Makes the process command line from the work directory's path and
// `commandLine` (relative to it) with the program part quoted, logs it
// ("Bios command : %s"), marks `task` as current and starts the tool in the
// work directory, waiting for it without limit. A process command line
// that would not fit kProcessCommandLineSize is refused rather than cut
// (kTooLong, logged with its length), as is one without a work directory or
// program (kRefused). An exit code that is a system failure status
// (0xC0000000 to 0xDFFFFFFF: a program whose libraries would not load, a
// crash) is kEndedBySystem, never the tool's own answer. Every ending but
// kExited is logged with the system's error number or status.
ToolRun LaunchTool(ToolTask task, const char* commandLine);

}  // namespace firmware
