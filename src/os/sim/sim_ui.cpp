#include "os/sim/sim_ui.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "os/sim/notebook.h"
#include "os/sim/sim_libraries.h"
#include "os/sim/string_tables.h"

namespace sim {

int SimUi::ShowMessageBox(os::WindowRef owner, const std::string& text, const std::string& title,
                          uint32_t type) {
  int answer = 1;
  if (nextAnswer_ < profile_->messageBoxes.size()) {
    const MessageBoxAnswer& scripted = profile_->messageBoxes[nextAnswer_];
    if (scripted.titleContains.empty() || title.find(scripted.titleContains) != std::string::npos) {
      answer = scripted.answer;
      ++nextAnswer_;
    }
  }
  char head[96];
  std::snprintf(head, sizeof head, "type 0x%02X, owner %s, answer %d", type,
                owner ? "dialog" : "none", answer);
  transcript_->Add("messagebox", "[" + Escape(title) + "] " + Escape(text) + " (" + head + ")");
  return answer;
}

int SimUi::LoadText(os::ModuleRef module, uint32_t id, char* buffer, int size) {
  if (size <= 0) return 0;
  buffer[0] = '\0';
  const char* text = nullptr;
  if (module == 0 || module == kExecutableModule)
    text = ExecutableText(id);
  else if (notebook_->libraries().IsLibrary(module))
    text = EnglishLibraryText(id);
  if (!text) return 0;
  const size_t length = std::min(std::strlen(text), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

os::CursorRef SimUi::ShowWaitCursor() {
  const os::CursorRef previous = cursor_;
  cursor_ = kWaitCursor;
  transcript_->Add("cursor", "wait");
  return previous;
}

void SimUi::RestoreCursor(os::CursorRef previous) {
  cursor_ = previous;
  transcript_->Add("cursor", previous == kWaitCursor ? "wait" : "restored");
}

}  // namespace sim
