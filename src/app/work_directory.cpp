#include "app/work_directory.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/sequence_state.h"
#include "core/log.h"
#include "core/shared_state.h"
#include "core/temp_directory.h"
#include "os/os.h"

namespace app {
namespace {

// TEMP, a single backslash and the fixed name, when TEMP can be used and
// the whole path fits the 260-character buffer.
bool BuildPath(char* path) {
  path[0] = '\0';
  std::string temp;
  if (!core::ReadTempDirectory(&temp)) return false;
  if (temp.back() != '\\') temp += '\\';
  temp += kWorkDirectoryName;
  if (temp.size() >= static_cast<size_t>(core::kPathSize)) return false;
  std::memcpy(path, temp.c_str(), temp.size() + 1);
  return true;
}

}  // namespace

core::ResultCode DeleteWorkFiles() {
  os::FileSystem& files = *os::Os().files;
  std::vector<std::string> names;
  if (!files.Enumerate("*.*", &names)) return core::ResultSuccess;
  for (const std::string& name : names) {
    files.Remove(name);
    core::WriteLog("DeleteDirectoryFile : %s is Deleted", name);
  }
  return core::ResultSuccess;
}

core::ResultCode PrepareWorkDirectory() {
  char* path = core::Shared().WorkDirectory;
  if (!BuildPath(path)) return core::ResultDirectory;
  os::FileSystem& files = *os::Os().files;
  // Asked without the trailing backslash, which would lead through a reparse point.
  switch (files.KindOf(std::string(path, std::strlen(path) - 1))) {
    case os::EntryKind::kDirectory:
      if (!files.ChangeDirectory(path)) return core::ResultDirectory;
      DeleteWorkFiles();
      return core::ResultSuccess;
    case os::EntryKind::kMissing:
      // A directory that appears between the look and the creation is
      // someone else's.
      return files.MakeDirectory(path) && files.ChangeDirectory(path) ? core::ResultSuccess
                                                                      : core::ResultDirectory;
    default:
      // A junction or link would have the files of what it leads to deleted
      // and the package extracted there; a file of that name is no directory.
      return core::ResultDirectory;
  }
}

}  // namespace app
