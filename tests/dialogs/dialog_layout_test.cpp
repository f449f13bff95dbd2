// Shows the progress dialog of the executable's own resources and of the
// English library under Wine, as the updater does (the Win32 dialogs with
// the program's spinner frames), and checks what a user would see: every
// text fits its control, the version labels are hidden only in the
// executable's copy, the bullets and the spinner are drawn, the logos fit.
// Keeps the dialog up for a moment so the test script can take a picture.
#include <windows.h>

#include <cstdio>
#include <string>

#include "check.h"
#include "text_fits.h"
#include "os/win32/win32_parts.h"
#include "ui/progress_dialog.h"

namespace {

constexpr int kCloseTimer = 77;
constexpr UINT kShowMilliseconds = 1500;
// The dialog closes once the spinner has turned this far, however slow the
// machine; after kMaxShows periods it closes regardless and the check fails.
constexpr int kFramesToSee = 3;
constexpr int kMaxShows = 8;

struct Expectation {
  os::ModuleRef module;
  bool versionLabelsVisible;
  int framesDrawn = 0;
  int shows = 0;
};

class LayoutEvents : public os::DialogEvents {
 public:
  explicit LayoutEvents(Expectation* expectation) : expect_(expectation) {}

  void OnInit(os::WindowRef dialog) override {
    os::Dialogs& dialogs = win32::Dialogs();
    HWND window = reinterpret_cast<HWND>(dialog);
    dialogs.Present(dialog);
    const struct {
      int control;
      uint32_t text;
    } texts[] = {{ui::kIntroText, 1}, {ui::kUnpackText, 2},           {ui::kBiosText, 3},
                 {ui::kMicomText, 4}, {ui::kCurrentVersionLabel, 17}, {ui::kNewVersionLabel, 18},
                 {ui::kStatusText, 5}};
    for (const auto& t : texts) {
      char buffer[256];
      win32::UserInterface().LoadText(expect_->module, t.text, buffer, sizeof buffer);
      dialogs.SetItemText(dialog, t.control, buffer);
      HWND control = GetDlgItem(window, t.control);
      const bool versionLabel =
          t.control == ui::kCurrentVersionLabel || t.control == ui::kNewVersionLabel;
      if ((!versionLabel || expect_->versionLabelsVisible) && !CHECK(TextFits(control, buffer)))
        std::printf("  text %u does not fit control %d\n", t.text, t.control);
    }
    for (int control : {ui::kCurrentVersionLabel, ui::kNewVersionLabel, ui::kCurrentVersionValue,
                        ui::kNewVersionValue})
      CHECK_EQ(IsWindowVisible(GetDlgItem(window, control)) != FALSE,
               expect_->versionLabelsVisible);
    dialogs.SetItemBullet(dialog, ui::kUnpackBullet, os::Bullet::kDone);
    dialogs.SetItemBullet(dialog, ui::kBiosBullet, os::Bullet::kInProgress);
    CHECK(SendDlgItemMessageA(window, ui::kUnpackBullet, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0);
    // Every logo lies inside the dialog's client area.
    RECT client;
    GetClientRect(window, &client);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (GetDlgCtrlID(child) != -1 && GetDlgCtrlID(child) != 0xFFFF) continue;
      RECT r;
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
      CHECK(r.right <= client.right && r.bottom <= client.bottom && r.right - r.left > 8);
    }
    CHECK(dialogs.LoadSpinnerFrames(ui::kSpinnerFrameIds, ui::kSpinnerFrames));
    CHECK(dialogs.StartTimer(dialog, ui::kSpinnerTimer, ui::kSpinnerPeriodMs));
    dialogs.StartTimer(dialog, kCloseTimer, kShowMilliseconds);
  }

  void OnCommand(os::WindowRef, int) override {}

  void OnTimer(os::WindowRef dialog, int timerId) override {
    os::Dialogs& dialogs = win32::Dialogs();
    if (timerId == ui::kSpinnerTimer) {
      dialogs.DrawSpinnerFrame(dialog, expect_->framesDrawn++ % ui::kSpinnerFrames);
    } else if (timerId == kCloseTimer &&
               (expect_->framesDrawn >= kFramesToSee || ++expect_->shows >= kMaxShows)) {
      dialogs.StopTimer(dialog, ui::kSpinnerTimer);
      dialogs.StopTimer(dialog, kCloseTimer);
      dialogs.ReleaseSpinnerFrames();
      dialogs.End(dialog, 1);
    }
  }

  void OnPrivate(os::WindowRef, int, uintptr_t) override {}
  void OnDestroy(os::WindowRef) override {}

 private:
  Expectation* expect_;
};

intptr_t Show(Expectation* expectation) {
  LayoutEvents events(expectation);
  return win32::Dialogs().RunModal(expectation->module, ui::kProgressTemplate, 0, &events);
}

std::string g_library;

TEST_CASE(ExecutableCopy) {
  Expectation e{reinterpret_cast<os::ModuleRef>(GetModuleHandleA(nullptr)), false};
  CHECK_EQ(Show(&e), intptr_t{1});
  CHECK(e.framesDrawn >= kFramesToSee);
}

TEST_CASE(EnglishLibrary) {
  HMODULE library = LoadLibraryExA(g_library.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  CHECK(library != nullptr);
  if (!library) return;
  Expectation e{reinterpret_cast<os::ModuleRef>(library), true};
  CHECK_EQ(Show(&e), intptr_t{1});
  CHECK(e.framesDrawn >= kFramesToSee);
}

}  // namespace

// dialog_layout_test LIBRARY [CASE-PREFIX]
int main(int argc, char** argv) {
  if (argc < 2) return 2;
  g_library = argv[1];
  return check::RunCases(argc > 2 ? argv[2] : "");
}
