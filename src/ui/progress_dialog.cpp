#include "ui/progress_dialog.h"

#include <cstdio>
#include <string>

#include "app/log.h"
#include "app/messages.h"
#include "app/run_state.h"
#include "app/update_flags.h"
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

void SignalExtractionEnd(bool succeeded) {
  if (!succeeded) app::Run().ExtractionSucceeded = 0;
  g_dialog.eventSignalled = true;
  os::Os().threads->SignalEvent(app::Run().ExtractionEvent);
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

void SetText(os::WindowRef dialog, int control, uint32_t textId) {
  os::Os().dialogs->SetItemText(dialog, control, app::LoadText(textId));
}

void WatchToolWindow(os::WindowRef) {
  os::Dialogs& dialogs = *os::Os().dialogs;
  const os::WindowRef tool = dialogs.FindTopLevelWindow(kWatchedToolTitle);
  if (!tool) return;
  app::WriteLog("Find Window : %X", static_cast<uint32_t>(tool));
  const std::string title = dialogs.GetWindowTitle(tool, kWatcherTextSize - 1);
  std::snprintf(g_dialog.watcherText, kWatcherTextSize, "%s", title.c_str());
  app::WriteLog("Message : %s", g_dialog.watcherText);
  dialogs.CloseWindow(tool);
  app::WriteLog("SendMessage Complete");
}

class ProgressEvents : public os::DialogEvents {
 public:
  void OnInit(os::WindowRef dialog) override {
    app::Run().ProgressDialog = dialog;
    os::Dialogs& dialogs = *os::Os().dialogs;
    dialogs.Present(dialog);
    const bool dmiOnly = app::Run().UpdateFlags & app::DmiOnly;
    SetText(dialog, kIntroText, 1);
    SetText(dialog, kUnpackText, 2);
    SetText(dialog, kBiosText, dmiOnly ? 24 : 3);
    if (dmiOnly)
      dialogs.SetItemText(dialog, kMicomText, "");
    else
      SetText(dialog, kMicomText, 4);
    SetText(dialog, kCurrentVersionLabel, 17);
    SetText(dialog, kNewVersionLabel, 18);
    if (!ExtractPackage()) {
      SignalExtractionEnd(false);
      return;
    }
    g_dialog.framesLoaded = dialogs.LoadSpinnerFrames(kSpinnerFrameIds, kSpinnerFrames);
    if (g_dialog.framesLoaded) dialogs.StartTimer(dialog, kSpinnerTimer, kSpinnerPeriodMs);
    SignalExtractionEnd(true);
  }

  void OnCommand(os::WindowRef dialog, int commandId) override {
    if (commandId == kCancelCommand && app::Run().UpdateInProgress == 0)
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
  // on the main thread would close the next message box at once.
  void OnDestroy(os::WindowRef dialog) override {
    StopSpinner(dialog);
    os::Os().dialogs->PostQuit();
  }
};

ProgressEvents g_events;

void DialogThread(void*) {
  g_dialog = DialogState{};
  os::Os().dialogs->RunModal(app::Run().ResourceModule, kProgressTemplate, 0, &g_events);
  // A dialog that could not be created never ran its initialisation: the
  // main thread must still learn that nothing was extracted.
  if (!g_dialog.eventSignalled) SignalExtractionEnd(false);
}

}  // namespace

bool StartProgressDialog() {
  app::RunState& run = app::Run();
  run.UpdateInProgress = 1;
  run.ExtractionSucceeded = 1;
  run.ExtractionEvent = os::Os().threads->CreateAutoResetEvent();
  if (!run.ExtractionEvent || !os::Os().threads->StartThread(DialogThread, nullptr)) return false;
  os::Os().threads->Sleep(100);
  return true;
}

void WaitForExtraction() {
  os::Threads& threads = *os::Os().threads;
  const os::EventRef event = app::Run().ExtractionEvent;
  bool ended = false;
  while (!app::Run().ProgressDialog && !ended) ended = threads.WaitEvent(event, kDialogPollMs);
  SetTaskBullet(kUnpackBullet, false);
  SetStatusText(5);
  if (!ended) threads.WaitEvent(event, os::Threads::kInfinite);
}

void SetStatusText(uint32_t textId) {
  const os::WindowRef dialog = app::Run().ProgressDialog;
  if (dialog) os::Os().dialogs->SetItemText(dialog, kStatusText, app::LoadText(textId));
}

void SetTaskBullet(int control, bool done) {
  const os::WindowRef dialog = app::Run().ProgressDialog;
  if (dialog)
    os::Os().dialogs->SetItemBullet(dialog, control,
                                    done ? os::Bullet::kDone : os::Bullet::kInProgress);
}

void StopAnimation() {
  const os::WindowRef dialog = app::Run().ProgressDialog;
  if (dialog) os::Os().dialogs->SendPrivate(dialog, kStopAnimation, 0);
}

}  // namespace ui
