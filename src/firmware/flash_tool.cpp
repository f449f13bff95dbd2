#include "firmware/flash_tool.h"

#include "firmware/new_system_identity.h"
#include "firmware/tool_files.h"
#include "firmware/tool_launch.h"
#include "hw/input_devices.h"

namespace firmware {
namespace {

constexpr int32_t kModelRefused = -120;
constexpr int32_t kNotNewer = -110, kNotNewerEither = -109;

// The tool refused the image: what it left about the image goes into the
// message, and keyboard and mouse come back before the message shows.
core::ResultCode Refused(core::ResultCode code) {
  ReadNewSystemIdentity("newSys.bin");  // without the file the new fields stay empty
  hw::ResumeInputDevices();
  return code;
}

}  // namespace

core::ResultCode RunFlashTool(const char* commandLine) {
  const ToolRun run = LaunchTool(ToolTask::kFlashBios, commandLine);
  switch (run.ending) {
    case ToolRun::Ending::kExited:
      break;
    case ToolRun::Ending::kTooLong:
      // The options and the DMI values make the line too long.
      return core::ResultInvalidOption;
    case ToolRun::Ending::kRefused:
    case ToolRun::Ending::kNotStarted:
    case ToolRun::Ending::kEndedBySystem:
    case ToolRun::Ending::kExitCodeUnknown:
      // Never success: the image may not have been written, or cannot be
      // known to have been.
      return core::ResultBiosFile;
  }
  if (run.exitCode == kModelRefused) return Refused(core::ResultToolModelMismatch);
  if (run.exitCode == kNotNewer || run.exitCode == kNotNewerEither)
    return Refused(core::ResultBiosDate);
  DeletePhoenixWorkingSet();
  DeleteAmiSet();
  MarkTaskDone(ToolTask::kFlashBios);
  return core::ResultSuccess;
}

}  // namespace firmware
