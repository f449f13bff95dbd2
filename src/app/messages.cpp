#include "app/messages.h"

#include <vector>

#include "app/run_state.h"
#include "app/update_flags.h"
#include "os/os.h"

namespace app {

int ShowMessageArgs(uint32_t type, const std::string& title, std::string_view format,
                    std::initializer_list<FormatArg> args) {
  if (Run().UpdateFlags & NoMessageBox) return 1;
  return os::Os().ui->ShowMessageBox(Run().ProgressDialog.load(), FormatText(format, args), title,
                                     type);
}

std::string LoadText(uint32_t id, int size) {
  std::vector<char> buffer(static_cast<size_t>(size > 0 ? size : 1), '\0');
  os::ModuleRef module = Run().ResourceModule ? Run().ResourceModule : os::Os().ui->OwnModule();
  os::Os().ui->LoadText(module, id, buffer.data(), size);
  return buffer.data();
}

}  // namespace app
