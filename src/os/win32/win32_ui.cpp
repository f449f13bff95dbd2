// Message boxes, the string table and the wait cursor.
#include <windows.h>

#include "os/win32/win32_parts.h"

namespace win32 {
namespace {

class Win32UserInterface : public os::UserInterface {
 public:
  int ShowMessageBox(os::WindowRef owner, const std::string& text, const std::string& title,
                     uint32_t type) override {
    return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), title.c_str(), type);
  }

  os::ModuleRef OwnModule() override {
    return reinterpret_cast<os::ModuleRef>(GetModuleHandleA(nullptr));
  }

  int LoadText(os::ModuleRef module, uint32_t id, char* buffer, int size) override {
    // LoadStringA with a size of 0 hands out a pointer instead of a copy.
    if (size <= 0) return 0;
    buffer[0] = '\0';
    HINSTANCE from = module ? reinterpret_cast<HINSTANCE>(module) : GetModuleHandleA(nullptr);
    const int length = LoadStringA(from, id, buffer, size);
    if (length <= 0) {
      buffer[0] = '\0';
      return 0;
    }
    return length;
  }

  os::CursorRef ShowWaitCursor() override {
    return reinterpret_cast<os::CursorRef>(SetCursor(LoadCursorA(nullptr, IDC_WAIT)));
  }

  void RestoreCursor(os::CursorRef previous) override {
    SetCursor(reinterpret_cast<HCURSOR>(previous));
  }
};

}  // namespace

os::UserInterface& UserInterface() {
  static Win32UserInterface ui;
  return ui;
}

}  // namespace win32
