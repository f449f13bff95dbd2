#include "ui/progress_dialog.h"

#include <cstdio>
#include <new>
#include <string>

#include "core/log.h"
#include "core/messages.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "os/os.h"
#include "package/archive.h"
#include "package/extract.h"

namespace ui {
namespace {

constexpr size_t kOwnPathSize = 260;
constexpr size_t kWatcherTextSize = 256;
constexpr int kCancelCommand = 2;
constexpr uint32_t kDialogPollMs = 10;

// State of the dialog thread.
struct DialogState {
  bool framesLoaded = false;
  int spinnerIndex = 0;
  bool eventSignalled = false;
  char watcherText[kWatcherTextSize] = {};
};
DialogState g_dialog;
ProgressState g_progress;

void SignalExtractionEnd(bool succeeded) {
  if (!succeeded) Progress().ExtractionSucceeded = 0;
  g_dialog.eventSignalled = true;
  os::Os().threads->SignalEvent(Progress().ExtractionEvent);
}

bool ExtractPackage() {
  const std::string path = os::Os().system->ModulePath();
  if (path.empty() || path.size() >= kOwnPathSize) return false;
  uint32_t offset = 0;
  if (package::ReadArchiveOffset(path, &offset) != package::ArchiveSuccess) return false;
  return package::ExtractAllMembers(path, offset) == package::ArchiveSuccess;
}

void StopSpinner(os::WindowRef dialog) {
  os::Dialogs& dialogs = *os::Os().dialogs;
  if (g_dialog.framesLoaded) {
    dialogs.ReleaseSpinnerFrames();
    g_dialog.framesLoaded = false;
  }
  dialogs.StopTimer(dialog, kSpinnerTimer);
}

void SetText(os::WindowRef dialog, int control, const core::Text<>& text) {
  os::Os().dialogs->SetItemText(dialog, control, core::LoadText(text));
}

void WatchToolWindow(os::WindowRef) {
  os::Dialogs& dialogs = *os::Os().dialogs;
  const os::WindowRef tool = dialogs.FindTopLevelWindow(kWatchedToolTitle);
  if (!tool) return;
  core::WriteLog("Find Window : %X", static_cast<uint32_t>(tool));
  const std::string title = dialogs.GetWindowTitle(tool, kWatcherTextSize - 1);
  std::snprintf(g_dialog.watcherText, kWatcherTextSize, "%s", title.c_str());
  core::WriteLog("Message : %s", g_dialog.watcherText);
  dialogs.CloseWindow(tool);
  core::WriteLog("SendMessage Complete");
}

class ProgressEvents : public os::DialogEvents {
 public:
  void OnInit(os::WindowRef dialog) override {
    core::Shared().ProgressDialog = dialog;
    os::Dialogs& dialogs = *os::Os().dialogs;
    dialogs.Present(dialog);
    const bool dmiOnly = core::Shared().UpdateFlags & core::DmiOnly;
    using core::Texts;
    SetText(dialog, kIntroText, Texts::kIntroduction);
    SetText(dialog, kUnpackText, Texts::kUnpackTask);
    SetText(dialog, kBiosText, dmiOnly ? Texts::kDmiTask : Texts::kBiosTask);
    if (dmiOnly)
      dialogs.SetItemText(dialog, kMicomText, "");
    else
      SetText(dialog, kMicomText, Texts::kMicomTask);
    SetText(dialog, kCurrentVersionLabel, Texts::kCurrentVersionLabel);
    SetText(dialog, kNewVersionLabel, Texts::kNewVersionLabel);
    if (!ExtractPackage()) {
      SignalExtractionEnd(false);
      return;
    }
    g_dialog.framesLoaded = dialogs.LoadSpinnerFrames(kSpinnerFrameIds, kSpinnerFrames);
    if (g_dialog.framesLoaded) dialogs.StartTimer(dialog, kSpinnerTimer, kSpinnerPeriodMs);
    SignalExtractionEnd(true);
  }

  void OnCommand(os::WindowRef dialog, int commandId) override {
    if (commandId == kCancelCommand && core::Shared().UpdateInProgress == 0)
      os::Os().dialogs->End(dialog, 0);
    StopSpinner(dialog);
  }

  void OnTimer(os::WindowRef dialog, int timerId) override {
    if (timerId == kSpinnerTimer && g_dialog.framesLoaded) {
      os::Os().dialogs->DrawSpinnerFrame(dialog, g_dialog.spinnerIndex);
      g_dialog.spinnerIndex = (g_dialog.spinnerIndex + 1) % kSpinnerFrames;
    } else if (timerId == kWatcherTimer) {
      WatchToolWindow(dialog);
    }
  }

  void OnPrivate(os::WindowRef dialog, int message, uintptr_t wParam) override {
    if (message == kStopAnimation) {
      StopSpinner(dialog);
    } else if (message == kWatchToolWindow) {
      if (wParam) {
        g_dialog.watcherText[0] = '\0';
        os::Os().dialogs->StartTimer(dialog, kWatcherTimer, kWatcherPeriodMs);
      } else {
        os::Os().dialogs->StopTimer(dialog, kWatcherTimer);
      }
    }
  }

  // Only this dialog's thread ends with it; a quit message from a dialog
  // on the main thread would close the next message box at once. A later
  // message box must not get the dead window as its owner.
  void OnDestroy(os::WindowRef dialog) override {
    StopSpinner(dialog);
    core::Shared().ProgressDialog = 0;
    os::Os().dialogs->PostQuit();
  }
};

ProgressEvents g_events;

void DialogThread(void*) {
  g_dialog = DialogState{};
  os::Os().dialogs->RunModal(core::Shared().ResourceModule, kProgressTemplate, 0, &g_events);
  // A dialog that could not be created never ran its initialisation: the
  // main thread must still learn that nothing was extracted.
  if (!g_dialog.eventSignalled) SignalExtractionEnd(false);
}

}  // namespace

ProgressState& Progress() {
  return g_progress;
}

void ResetProgressState() {
  g_progress.~ProgressState();
  new (&g_progress) ProgressState();
}

bool StartProgressDialog() {
  core::Shared().UpdateInProgress = 1;
  ProgressState& progress = Progress();
  progress.ExtractionSucceeded = 1;
  progress.ExtractionEvent = os::Os().threads->CreateAutoResetEvent();
  if (!progress.ExtractionEvent || !os::Os().threads->StartThread(DialogThread, nullptr))
    return false;
  os::Os().threads->Sleep(100);
  return true;
}

void WaitForExtraction() {
  os::Threads& threads = *os::Os().threads;
  const os::EventRef event = Progress().ExtractionEvent;
  bool ended = false;
  while (!core::Shared().ProgressDialog && !ended) ended = threads.WaitEvent(event, kDialogPollMs);
  SetTaskBullet(kUnpackBullet, false);
  SetStatusText(core::Texts::kPreparingExtraction);
  if (!ended) threads.WaitEvent(event, os::Threads::kInfinite);
}

void SetStatusText(const core::Text<>& text) {
  const os::WindowRef dialog = core::Shared().ProgressDialog;
  if (dialog) os::Os().dialogs->SetItemText(dialog, kStatusText, core::LoadText(text));
}

void SetTaskBullet(int control, bool done) {
  const os::WindowRef dialog = core::Shared().ProgressDialog;
  if (dialog)
    os::Os().dialogs->SetItemBullet(dialog, control,
                                    done ? os::Bullet::kDone : os::Bullet::kInProgress);
}

void StopAnimation() {
  const os::WindowRef dialog = core::Shared().ProgressDialog;
  if (dialog) os::Os().dialogs->SendPrivate(dialog, kStopAnimation, 0);
}

namespace {
int ToolTaskBullet(firmware::ToolTask task) {
  return task == firmware::ToolTask::kFlashBios ? kBiosBullet : kMicomBullet;
}
}  // namespace

void ToolTaskStarted(firmware::ToolTask task) {
  SetTaskBullet(ToolTaskBullet(task), false);
  if (task == firmware::ToolTask::kFlashMicom) SetStatusText(core::Texts::kPreparingMicom);
}

void ToolTaskDone(firmware::ToolTask task) {
  SetTaskBullet(ToolTaskBullet(task), true);
}

}  // namespace ui
