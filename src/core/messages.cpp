#include "core/messages.h"

#include <vector>

#include "core/shared_state.h"
#include "core/update_flags.h"
#include "os/os.h"

namespace core {

int ShowMessageArgs(uint32_t type, const std::string& title, std::string_view format,
                    std::initializer_list<FormatArg> args) {
  if (Shared().UpdateFlags & NoMessageBox) return 1;
  return os::Os().ui->ShowMessageBox(Shared().ProgressDialog.load(), FormatText(format, args),
                                     title, type);
}

namespace {

std::string LoadTextById(uint32_t id, int size) {
  std::vector<char> buffer(static_cast<size_t>(size > 0 ? size : 1), '\0');
  os::ModuleRef module =
      Shared().ResourceModule ? Shared().ResourceModule : os::Os().ui->OwnModule();
  os::Os().ui->LoadText(module, id, buffer.data(), size);
  return buffer.data();
}

}  // namespace

std::string LoadText(const Text<>& text) {
  return LoadTextById(text.id(), text.bufferSize());
}

int ShowTextArgs(uint32_t type, const Text<>& title, uint32_t textId, int textSize,
                 std::initializer_list<FormatArg> args) {
  const std::string titleText = LoadText(title);
  return ShowMessageArgs(type, titleText, LoadTextById(textId, textSize), args);
}

}  // namespace core
