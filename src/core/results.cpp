#include "core/results.h"

#include <cctype>
#include <string>

#include "core/messages.h"
#include "core/shared_state.h"
#include "os/os.h"

namespace core {
namespace {

// The title and text of each code with a message; the model-mismatch codes
// show text 21 with its four strings (no `text` here).
struct Message {
  ResultCode code;
  const Text<>* title;
  const Text<>* text;
};

constexpr Message kMessages[] = {
    {ResultInitFailed, &Texts::kFatalErrorTitle, &Texts::kInitFailed},
    {ResultUnpackFailed, &Texts::kUnpackTitle, &Texts::kUnpackFailed},
    {ResultHddPassword, &Texts::kHddPasswordTitle, &Texts::kHddPassword},
    {ResultDriverLoad, &Texts::kDriverLoadTitle, &Texts::kDriverLoadFailed},
    {ResultModelMismatch, &Texts::kModelTitle, nullptr},
    {ResultToolModelMismatch, &Texts::kModelTitle, nullptr},
    {ResultMicomFailed, &Texts::kMicomTitle, &Texts::kMicomFailed},
    {ResultBiosFile, &Texts::kBiosFileTitle, &Texts::kInvalidBiosFile},
    {ResultMicomFile, &Texts::kMicomFileTitle, &Texts::kInvalidMicomFile},
    {ResultSmiEnable, &Texts::kSmiTitle, &Texts::kSmiFailed},
    {ResultInvalidOption, &Texts::kInvalidOptionTitle, &Texts::kInvalidOption},
    {ResultDirectory, &Texts::kDirectoryTitle, &Texts::kDirectoryFailed},
    {ResultNoAcAdapter, &Texts::kPowerTitle, &Texts::kNoAcAdapter},
    {ResultBatteryLow, &Texts::kPowerTitle, &Texts::kBatteryLow},
    {ResultNoPowerSource, &Texts::kPowerTitle, &Texts::kNoPowerSource},
    {ResultBiosDate, &Texts::kBiosDateTitle, &Texts::kBiosDate},
};

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
  for (const Message& m : kMessages) {
    if (m.code != code) continue;
    if (m.text) {
      ShowText(box::kError, *m.title, *m.text);
    } else {
      const ModelMismatchText& t = ModelMismatch();
      ShowText(box::kError, *m.title, Texts::kModelMismatch, t.currentModel, t.currentPart,
               t.newModel, t.newPart);
    }
    break;
  }
  return code;
}

}  // namespace core
