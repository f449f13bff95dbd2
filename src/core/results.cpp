#include "core/results.h"

#include <cctype>
#include <string>

#include "core/messages.h"
#include "core/shared_state.h"
#include "os/os.h"

namespace core {
namespace {

struct MessageIds {
  ResultCode code;
  uint32_t title;
  uint32_t text;
};

constexpr MessageIds kMessages[] = {
    {ResultInitFailed, 42, 27},  {ResultUnpackFailed, 43, 9},   {ResultHddPassword, 44, 23},
    {ResultDriverLoad, 45, 19},  {ResultModelMismatch, 46, 21}, {ResultToolModelMismatch, 46, 21},
    {ResultMicomFailed, 48, 29}, {ResultBiosFile, 49, 30},      {ResultMicomFile, 50, 31},
    {ResultSmiEnable, 51, 32},   {ResultInvalidOption, 54, 25}, {ResultDirectory, 52, 33},
    {ResultNoAcAdapter, 53, 34}, {ResultBatteryLow, 53, 35},    {ResultNoPowerSource, 53, 37},
    {ResultBiosDate, 55, 36},
};

constexpr uint32_t kModelMismatchText = 21;

// Codes up to ResultUnpackFailed, the directory and the power codes arise
// before input devices are suspended or tools staged: nothing to undo.
bool NeedsCleanup(ResultCode code) {
  return code > ResultUnpackFailed && code != ResultDirectory && code != ResultNoAcAdapter &&
         code != ResultBatteryLow && code != ResultNoPowerSource;
}

void RunHook(void (*hook)()) {
  if (hook) hook();
}

// File deletions name bare files of the current directory: they may only
// run once the work directory is current, or they would hit same-named
// files in %TEMP% or C:\ after an early failure.
bool WorkDirectoryIsCurrent() {
  const std::string work = Shared().WorkDirectory;
  if (work.empty()) return false;
  std::string current = os::Os().files->CurrentDirectory();
  if (current.empty() || current.back() != '\\') current += '\\';
  if (current.size() != work.size()) return false;
  for (size_t i = 0; i < work.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(current[i])) !=
        std::tolower(static_cast<unsigned char>(work[i])))
      return false;
  }
  return true;
}

}  // namespace

CleanupHooks& Cleanup() {
  static CleanupHooks hooks;
  return hooks;
}

ModelMismatchText& ModelMismatch() {
  static ModelMismatchText text;
  return text;
}

bool MessageIdsFor(ResultCode code, uint32_t* titleId, uint32_t* textId) {
  for (const MessageIds& m : kMessages) {
    if (m.code == code) {
      *titleId = m.title;
      *textId = m.text;
      return true;
    }
  }
  return false;
}

ResultCode ReportResult(ResultCode code) {
  Shared().UpdateInProgress = 0;
  if (NeedsCleanup(code)) {
    const CleanupHooks& hooks = Cleanup();
    RunHook(hooks.stopAnimation);
    if (Shared().InputDevicesSuspended) RunHook(hooks.resumeInputDevices);
    if (WorkDirectoryIsCurrent()) {
      RunHook(hooks.removeStagedTools);
      RunHook(hooks.deleteLeftoverFiles);
    }
  }
  uint32_t titleId = 0, textId = 0;
  if (!MessageIdsFor(code, &titleId, &textId)) return code;
  const std::string title = LoadText(titleId);
  const std::string text = LoadText(textId);
  if (textId == kModelMismatchText) {
    const ModelMismatchText& m = ModelMismatch();
    ShowMessage(box::kError, title, text, m.currentModel, m.currentPart, m.newModel, m.newPart);
  } else {
    ShowMessage(box::kError, title, text);
  }
  return code;
}

}  // namespace core
