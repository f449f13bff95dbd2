// Language resource libraries: loaded as data from a full path; the
// process's own library search is kept to the system directory.
#include <windows.h>

#include "os/win32/kernel32_lookup.h"
#include "os/win32/win32_parts.h"

namespace win32 {
namespace {

constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

class Win32Libraries : public os::Libraries {
 public:
  os::ModuleRef LoadResourceLibrary(const std::string& fullPath) override {
    return reinterpret_cast<os::ModuleRef>(
        LoadLibraryExA(fullPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  }

  void RestrictLibrarySearch() override {
    // Windows 8 and later, and Windows 7 and Vista with their update, have it.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    if (auto restrict =
            LookUpKernel32<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories"))
      restrict(kSearchSystem32);
    // Older systems: at least take the current directory (%TEMP% at first)
    // out of the search, where XP SP1 and later offer that.
    using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR);
    if (auto setDirectory = LookUpKernel32<SetDllDirectoryFunction>("SetDllDirectoryA"))
      setDirectory("");
  }
};

}  // namespace

os::Libraries& Libraries() {
  static Win32Libraries libraries;
  return libraries;
}

}  // namespace win32
