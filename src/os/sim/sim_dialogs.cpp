#include "os/sim/sim_dialogs.h"

#include <algorithm>
#include <cstdio>

namespace sim {
namespace {
constexpr int kCancel = 2;
constexpr int kWmUser = 0x400;
}  // namespace

SimDialogs::SimDialogs(Profile* profile, Transcript* transcript)
    : profile_(profile), transcript_(transcript) {
  if (profile_->json.contains("dialog")) {
    const auto& d = profile_->json["dialog"];
    createFails_ = d.value("createFails", false);
    if (d.contains("cancelAt")) cancelAt_ = d["cancelAt"].get<std::vector<std::string>>();
  }
}

SimDialogs::Window* SimDialogs::Find(os::WindowRef dialog) {
  auto it = windows_.find(dialog);
  return it == windows_.end() || !it->second.open ? nullptr : &it->second;
}

void SimDialogs::Moment(os::WindowRef dialog, const std::string& moment) {
  if (std::find(cancelAt_.begin(), cancelAt_.end(), moment) != cancelAt_.end()) PressCancel(dialog);
}

intptr_t SimDialogs::RunModal(os::ModuleRef, int templateId, os::WindowRef owner,
                              os::DialogEvents* events) {
  if (createFails_) {
    transcript_->Add("dialog", "template " + std::to_string(templateId) + " cannot be created");
    return -1;
  }
  const os::WindowRef window = next_++;
  windows_[window] = Window{events, true, {}, {}};
  transcript_->Add("dialog",
                   "open template " + std::to_string(templateId) + (owner ? " owned" : ""));
  events->OnInit(window);
  Moment(window, "init");
  return 0;
}

void SimDialogs::End(os::WindowRef dialog, intptr_t result) {
  Window* w = Find(dialog);
  if (!w) return;
  transcript_->Add("dialog", "closed with " + std::to_string(result));
  w->events->OnDestroy(dialog);
  w->open = false;
}

void SimDialogs::Present(os::WindowRef dialog) {
  if (Find(dialog)) transcript_->Add("dialog", "shown");
}

void SimDialogs::SetItemText(os::WindowRef dialog, int control, const std::string& text) {
  Window* w = Find(dialog);
  if (!w) return;
  w->texts[control] = text;
  transcript_->Add("dialog", "text " + std::to_string(control) + " = " + Escape(text));
  if (control == 1010) Moment(dialog, "status:" + text);
}

std::string SimDialogs::GetItemText(os::WindowRef dialog, int control, int maxLength) {
  Window* w = Find(dialog);
  if (!w || !w->texts.count(control)) return "";
  return w->texts[control].substr(0, static_cast<size_t>(maxLength > 0 ? maxLength : 0));
}

void SimDialogs::SetItemBullet(os::WindowRef dialog, int control, os::Bullet bullet) {
  if (!Find(dialog)) return;
  const bool done = bullet == os::Bullet::kDone;
  transcript_->Add("dialog",
                   "bullet " + std::to_string(control) + (done ? " = check" : " = arrow"));
  Moment(dialog, "bullet:" + std::to_string(control) + (done ? ":check" : ":arrow"));
}

void SimDialogs::SendPrivate(os::WindowRef dialog, int message, uintptr_t wParam) {
  Window* w = Find(dialog);
  if (!w) return;
  char text[48];
  std::snprintf(text, sizeof text, "message %d (WM_USER+%d)", kWmUser + message, message);
  transcript_->Add("dialog", text);
  w->events->OnPrivate(dialog, message, wParam);
  Moment(dialog, "message:" + std::to_string(message));
}

bool SimDialogs::StartTimer(os::WindowRef dialog, int timerId, uint32_t milliseconds) {
  Window* w = Find(dialog);
  if (!w) return false;
  w->timers[timerId] = milliseconds;
  transcript_->Add("dialog", "timer " + std::to_string(timerId) + " every " +
                                 std::to_string(milliseconds) + " ms");
  return true;
}

void SimDialogs::StopTimer(os::WindowRef dialog, int timerId) {
  Window* w = Find(dialog);
  if (w && w->timers.erase(timerId))
    transcript_->Add("dialog", "timer " + std::to_string(timerId) + " stopped");
}

bool SimDialogs::LoadSpinnerFrames(const int* resourceIds, int count) {
  std::string ids;
  for (int i = 0; i < count; ++i) ids += (i ? "," : "") + std::to_string(resourceIds[i]);
  transcript_->Add("dialog", "spinner frames " + ids + " loaded");
  framesLoaded_ = true;
  return true;
}

void SimDialogs::DrawSpinnerFrame(os::WindowRef, int) {
  if (framesLoaded_) ++framesDrawn_;
}

void SimDialogs::ReleaseSpinnerFrames() {
  if (!framesLoaded_) return;
  framesLoaded_ = false;
  transcript_->Add("dialog", "spinner frames released");
}

os::WindowRef SimDialogs::FindTopLevelWindow(const std::string& title) {
  for (const auto& [window, windowTitle] : topLevel_)
    if (windowTitle == title) return window;
  return 0;
}

std::string SimDialogs::GetWindowTitle(os::WindowRef window, int maxLength) {
  auto it = topLevel_.find(window);
  if (it == topLevel_.end()) return "";
  return it->second.substr(0, static_cast<size_t>(maxLength > 0 ? maxLength : 0));
}

void SimDialogs::CloseWindow(os::WindowRef window) {
  auto it = topLevel_.find(window);
  if (it == topLevel_.end()) return;
  transcript_->Add("window", "WM_CLOSE to \"" + it->second + "\"");
  topLevel_.erase(it);
}

void SimDialogs::PostQuit() {
  transcript_->Add("dialog", "quit posted");
}

void SimDialogs::PressCancel(os::WindowRef dialog) {
  Window* w = Find(dialog);
  if (!w) return;
  transcript_->Add("dialog", "Cancel pressed");
  w->events->OnCommand(dialog, kCancel);
  transcript_->Add("dialog", Find(dialog) ? "still open" : "ended");
}

void SimDialogs::FireTimer(os::WindowRef dialog, int timerId) {
  Window* w = Find(dialog);
  if (w && w->timers.count(timerId)) w->events->OnTimer(dialog, timerId);
}

os::WindowRef SimDialogs::AddTopLevelWindow(const std::string& title) {
  const os::WindowRef window = next_++;
  topLevel_[window] = title;
  return window;
}

bool SimDialogs::ShowOtherProgramWindow(const std::string& title, uint32_t milliseconds) {
  // A timer fires at most this often while the window is up, however long.
  constexpr uint32_t kMaxTicks = 1000;
  const os::WindowRef window = AddTopLevelWindow(title);
  std::vector<std::pair<os::WindowRef, int>> ticks;
  for (const auto& [dialog, w] : windows_) {
    if (!w.open) continue;
    for (const auto& [timerId, period] : w.timers) {
      const uint32_t count = period ? std::min(milliseconds / period, kMaxTicks) : 0;
      ticks.insert(ticks.end(), count, {dialog, timerId});
    }
  }
  for (const auto& [dialog, timerId] : ticks) FireTimer(dialog, timerId);
  const bool closed = topLevel_.erase(window) == 0;
  return closed;
}

bool SimDialogs::IsOpen(os::WindowRef dialog) const {
  auto it = windows_.find(dialog);
  return it != windows_.end() && it->second.open;
}

bool SimDialogs::TimerRunning(os::WindowRef dialog, int timerId) const {
  auto it = windows_.find(dialog);
  return it != windows_.end() && it->second.open && it->second.timers.count(timerId);
}

std::string SimDialogs::ItemText(os::WindowRef dialog, int control) const {
  auto it = windows_.find(dialog);
  if (it == windows_.end()) return "";
  auto t = it->second.texts.find(control);
  return t == it->second.texts.end() ? "" : t->second;
}

}  // namespace sim
