// Modal dialogs (the progress dialog, the DMI settings dialog), their
// controls and timers, the spinner drawing and the tool-window watcher.
#define OEMRESOURCE  // OBM_CHECK, OBM_RGARROWD
#include <windows.h>

#include "os/win32/win32_parts.h"

namespace win32 {
namespace {

constexpr COLORREF kTransparentKey = RGB(0, 0, 255);
constexpr int kMaxSpinnerFrames = 8;
constexpr int kSpinnerRightInset = 37;
constexpr int kSpinnerTopInset = 4;

// The frame bitmaps, loaded by the dialog thread and used only there.
struct Spinner {
  HBITMAP frames[kMaxSpinnerFrames] = {};
  int count = 0;
};
Spinner g_spinner;

// Draws `frame` at (x, y) of `target` with the key colour left transparent:
// a monochrome mask from the key colour, the background cut out with it,
// the frame's key pixels blacked out, both combined off-screen and copied
// in one block so the spinner does not flicker. The frame stays unchanged.
void DrawTransparent(HDC target, HBITMAP frame, int x, int y) {
  BITMAP info;
  if (!GetObjectA(frame, sizeof info, &info)) return;
  const int w = info.bmWidth, h = info.bmHeight;
  HDC frameDc = CreateCompatibleDC(target);
  HDC maskDc = CreateCompatibleDC(target);
  HDC workDc = CreateCompatibleDC(target);
  HDC colourDc = CreateCompatibleDC(target);
  HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
  HBITMAP work = CreateCompatibleBitmap(target, w, h);
  HBITMAP colour = CreateCompatibleBitmap(target, w, h);
  if (frameDc && maskDc && workDc && colourDc && mask && work && colour) {
    HGDIOBJ oldFrame = SelectObject(frameDc, frame);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    HGDIOBJ oldWork = SelectObject(workDc, work);
    HGDIOBJ oldColour = SelectObject(colourDc, colour);
    // Mask: white where the frame has the key colour.
    SetBkColor(frameDc, kTransparentKey);
    BitBlt(maskDc, 0, 0, w, h, frameDc, 0, 0, SRCCOPY);
    // A copy of the frame with its key pixels black.
    BitBlt(colourDc, 0, 0, w, h, frameDc, 0, 0, SRCCOPY);
    SetBkColor(colourDc, RGB(255, 255, 255));
    SetTextColor(colourDc, RGB(0, 0, 0));
    BitBlt(colourDc, 0, 0, w, h, maskDc, 0, 0, 0x00220326);  // DSna: colour AND NOT mask
    // The saved background, cut out where the frame is opaque, then the frame OR-ed in.
    BitBlt(workDc, 0, 0, w, h, target, x, y, SRCCOPY);
    SetBkColor(workDc, RGB(255, 255, 255));
    SetTextColor(workDc, RGB(0, 0, 0));
    BitBlt(workDc, 0, 0, w, h, maskDc, 0, 0, SRCAND);
    BitBlt(workDc, 0, 0, w, h, colourDc, 0, 0, SRCPAINT);
    BitBlt(target, x, y, w, h, workDc, 0, 0, SRCCOPY);
    SelectObject(colourDc, oldColour);
    SelectObject(workDc, oldWork);
    SelectObject(maskDc, oldMask);
    SelectObject(frameDc, oldFrame);
  }
  if (colour) DeleteObject(colour);
  if (work) DeleteObject(work);
  if (mask) DeleteObject(mask);
  if (colourDc) DeleteDC(colourDc);
  if (workDc) DeleteDC(workDc);
  if (maskDc) DeleteDC(maskDc);
  if (frameDc) DeleteDC(frameDc);
}

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* events = reinterpret_cast<os::DialogEvents*>(GetWindowLongPtrA(dialog, DWLP_USER));
  const auto ref = reinterpret_cast<os::WindowRef>(dialog);
  switch (message) {
    case WM_INITDIALOG:
      events = reinterpret_cast<os::DialogEvents*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      events->OnInit(ref);
      break;
    case WM_COMMAND:
      if (events) events->OnCommand(ref, LOWORD(wParam));
      break;
    case WM_TIMER:
      if (events) events->OnTimer(ref, static_cast<int>(wParam));
      break;
    case WM_DESTROY:
      if (events) events->OnDestroy(ref);
      break;
    default:
      if (events && message > WM_USER && message <= WM_USER + 0x100)
        events->OnPrivate(ref, static_cast<int>(message - WM_USER), static_cast<uintptr_t>(wParam));
      break;
  }
  // Default dialog processing applies to every message as well.
  return FALSE;
}

class Win32Dialogs : public os::Dialogs {
 public:
  intptr_t RunModal(os::ModuleRef module, int templateId, os::WindowRef owner,
                    os::DialogEvents* events) override {
    HINSTANCE from = module ? reinterpret_cast<HINSTANCE>(module) : GetModuleHandleA(nullptr);
    return DialogBoxParamA(from, MAKEINTRESOURCEA(templateId), reinterpret_cast<HWND>(owner),
                           DialogProcedure, reinterpret_cast<LPARAM>(events));
  }

  void End(os::WindowRef dialog, intptr_t result) override {
    EndDialog(reinterpret_cast<HWND>(dialog), result);
  }

  void Present(os::WindowRef dialog) override {
    HWND window = reinterpret_cast<HWND>(dialog);
    ShowWindow(window, SW_MINIMIZE);
    ShowWindow(window, SW_SHOWNORMAL);
  }

  void SetItemText(os::WindowRef dialog, int control, const std::string& text) override {
    SetDlgItemTextA(reinterpret_cast<HWND>(dialog), control, text.c_str());
  }

  std::string GetItemText(os::WindowRef dialog, int control, int maxLength) override {
    if (maxLength <= 0) return "";
    std::string text(static_cast<size_t>(maxLength) + 1, '\0');
    const UINT length =
        GetDlgItemTextA(reinterpret_cast<HWND>(dialog), control, text.data(), maxLength + 1);
    text.resize(length);
    return text;
  }

  void FocusItem(os::WindowRef dialog, int control) override {
    // Posted: during WM_INITDIALOG the dialog manager would still move the
    // focus afterwards.
    HWND window = reinterpret_cast<HWND>(dialog);
    PostMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window, control)),
                 TRUE);
  }

  void SetItemBullet(os::WindowRef dialog, int control, os::Bullet bullet) override {
    // The system's own bitmaps are shared; they are never deleted.
    HBITMAP image = LoadBitmapA(
        nullptr, MAKEINTRESOURCEA(bullet == os::Bullet::kDone ? OBM_CHECK : OBM_RGARROWD));
    SendDlgItemMessageA(reinterpret_cast<HWND>(dialog), control, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(image));
  }

  void SendPrivate(os::WindowRef dialog, int message, uintptr_t wParam) override {
    SendMessageA(reinterpret_cast<HWND>(dialog), WM_USER + message, wParam, 0);
  }

  bool StartTimer(os::WindowRef dialog, int timerId, uint32_t milliseconds) override {
    return SetTimer(reinterpret_cast<HWND>(dialog), timerId, milliseconds, nullptr) != 0;
  }

  void StopTimer(os::WindowRef dialog, int timerId) override {
    KillTimer(reinterpret_cast<HWND>(dialog), timerId);
  }

  bool LoadSpinnerFrames(const int* resourceIds, int count) override {
    ReleaseSpinnerFrames();
    HINSTANCE self = GetModuleHandleA(nullptr);
    for (int i = 0; i < count && i < kMaxSpinnerFrames; ++i) {
      g_spinner.frames[i] = LoadBitmapA(self, MAKEINTRESOURCEA(resourceIds[i]));
      if (!g_spinner.frames[i]) {
        ReleaseSpinnerFrames();
        return false;
      }
      g_spinner.count = i + 1;
    }
    return g_spinner.count > 0;
  }

  void DrawSpinnerFrame(os::WindowRef dialog, int index) override {
    if (index < 0 || index >= g_spinner.count) return;
    HWND window = reinterpret_cast<HWND>(dialog);
    RECT frame;
    if (!GetWindowRect(window, &frame)) return;
    POINT corner = {frame.right, frame.top};
    ScreenToClient(window, &corner);
    HDC dc = GetDC(window);
    if (!dc) return;
    DrawTransparent(dc, g_spinner.frames[index], corner.x - kSpinnerRightInset,
                    corner.y + kSpinnerTopInset);
    ReleaseDC(window, dc);
  }

  void ReleaseSpinnerFrames() override {
    for (int i = 0; i < g_spinner.count; ++i) DeleteObject(g_spinner.frames[i]);
    g_spinner = Spinner{};
  }

  os::WindowRef FindTopLevelWindow(const std::string& title) override {
    return reinterpret_cast<os::WindowRef>(FindWindowA(nullptr, title.c_str()));
  }

  std::string GetWindowTitle(os::WindowRef window, int maxLength) override {
    if (maxLength <= 0) return "";
    std::string text(static_cast<size_t>(maxLength) + 1, '\0');
    const LRESULT length =
        SendMessageA(reinterpret_cast<HWND>(window), WM_GETTEXT, static_cast<WPARAM>(maxLength + 1),
                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
  }

  void CloseWindow(os::WindowRef window) override {
    SendMessageA(reinterpret_cast<HWND>(window), WM_CLOSE, 0, 0);
  }

  void PostQuit() override { PostQuitMessage(0); }
};

}  // namespace

os::Dialogs& Dialogs() {
  static Win32Dialogs dialogs;
  return dialogs;
}

}  // namespace win32
