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

std::string LoadText(uint32_t id, int size) {
  std::vector<char> buffer(static_cast<size_t>(size > 0 ? size : 1), '\0');
  os::ModuleRef module =
      Shared().ResourceModule ? Shared().ResourceModule : os::Os().ui->OwnModule();
  os::Os().ui->LoadText(module, id, buffer.data(), size);
  return buffer.data();
}

}  // namespace core
