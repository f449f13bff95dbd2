// Dialogs of the simulated notebook: a recorder. A dialog opens, runs its
// initialisation and then stays open while the run goes on; texts, bullets,
// timers and the spinner are written to the transcript. The profile's
// "dialog" section can refuse to create it and press Cancel at chosen
// moments (docs/profile.md).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "os/os.h"
#include "os/sim/profile.h"
#include "os/sim/transcript.h"

namespace sim {

class SimDialogs : public os::Dialogs {
 public:
  SimDialogs(Profile* profile, Transcript* transcript);
  intptr_t RunModal(os::ModuleRef module, int templateId, os::WindowRef owner,
                    os::DialogEvents* events) override;
  void End(os::WindowRef dialog, intptr_t result) override;
  void Present(os::WindowRef dialog) override;
  void SetItemText(os::WindowRef dialog, int control, const std::string& text) override;
  std::string GetItemText(os::WindowRef dialog, int control, int maxLength) override;
  void SetItemBullet(os::WindowRef dialog, int control, os::Bullet bullet) override;
  void SendPrivate(os::WindowRef dialog, int message, uintptr_t wParam) override;
  bool StartTimer(os::WindowRef dialog, int timerId, uint32_t milliseconds) override;
  void StopTimer(os::WindowRef dialog, int timerId) override;
  bool LoadSpinnerFrames(const int* resourceIds, int count) override;
  void DrawSpinnerFrame(os::WindowRef dialog, int index) override;
  void ReleaseSpinnerFrames() override;
  os::WindowRef FindTopLevelWindow(const std::string& title) override;
  std::string GetWindowTitle(os::WindowRef window, int maxLength) override;
  void CloseWindow(os::WindowRef window) override;
  void PostQuit() override;

  // Simulation controls for tests.
  void PressCancel(os::WindowRef dialog);
  void FireTimer(os::WindowRef dialog, int timerId);
  os::WindowRef AddTopLevelWindow(const std::string& title);
  // Another program's top-level window, up for `milliseconds` while the
  // open dialogs' timers tick; true when it was closed (WM_CLOSE) before.
  bool ShowOtherProgramWindow(const std::string& title, uint32_t milliseconds);
  bool IsOpen(os::WindowRef dialog) const;
  bool TimerRunning(os::WindowRef dialog, int timerId) const;
  std::string ItemText(os::WindowRef dialog, int control) const;
  int FramesDrawn() const { return framesDrawn_; }

 private:
  struct Window {
    os::DialogEvents* events = nullptr;
    bool open = false;
    std::map<int, std::string> texts;
    std::map<int, uint32_t> timers;
  };
  Window* Find(os::WindowRef dialog);
  // Presses Cancel when the profile asks for it at `moment`.
  void Moment(os::WindowRef dialog, const std::string& moment);

  Profile* profile_;
  Transcript* transcript_;
  std::map<os::WindowRef, Window> windows_;
  std::map<os::WindowRef, std::string> topLevel_;
  std::vector<std::string> cancelAt_;
  bool createFails_ = false;
  bool framesLoaded_ = false;
  int framesDrawn_ = 0;
  os::WindowRef next_ = 0x1000;
};

}  // namespace sim
