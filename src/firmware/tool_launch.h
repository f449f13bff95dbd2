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
    kRefused,          // no process command line could be made; nothing was started
    kNotStarted,       // the process could not be created
    kExitCodeUnknown,  // it was started, but how it ended cannot be read
  };
  Ending ending = Ending::kRefused;
  int32_t exitCode = 0;  // kExited only
  uint32_t error = 0;    // the system's error number: kNotStarted, kExitCodeUnknown
};

// Makes the process command line from the work directory's path and
// `commandLine` (relative to it) with the program part quoted, logs it
// ("Bios command : %s"), marks `task` as current and starts the tool in the
// work directory, waiting for it without limit. A process command line
// that would not fit kProcessCommandLineSize, or one without a program, is
// refused rather than cut. Every ending but kExited is logged with the
// system's error number.
ToolRun LaunchTool(ToolTask task, const char* commandLine);

}  // namespace firmware
