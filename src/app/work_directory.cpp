#include "app/work_directory.h"

#include <cstring>
#include <string>
#include <vector>

#include "app/log.h"
#include "app/run_state.h"
#include "app/temp_directory.h"
#include "os/os.h"

namespace app {
namespace {

// TEMP, a single backslash and the fixed name, when TEMP can be used and
// the whole path fits the 260-character buffer.
bool BuildPath(char* path) {
  path[0] = '\0';
  std::string temp;
  if (!ReadTempDirectory(&temp)) return false;
  if (temp.back() != '\\') temp += '\\';
  temp += kWorkDirectoryName;
  if (temp.size() >= static_cast<size_t>(kPathSize)) return false;
  std::memcpy(path, temp.c_str(), temp.size() + 1);
  return true;
}

}  // namespace

ResultCode DeleteWorkFiles() {
  os::FileSystem& files = *os::Os().files;
  std::vector<std::string> names;
  if (!files.Enumerate("*.*", &names)) return ResultSuccess;
  for (const std::string& name : names) {
    files.Remove(name);
    WriteLog("DeleteDirectoryFile : %s is Deleted", name);
  }
  return ResultSuccess;
}

ResultCode PrepareWorkDirectory() {
  char* path = Run().WorkDirectory;
  if (!BuildPath(path)) return ResultDirectory;
  os::FileSystem& files = *os::Os().files;
  if (files.ChangeDirectory(path)) {
    DeleteWorkFiles();
    return ResultSuccess;
  }
  files.MakeDirectory(path);
  return files.ChangeDirectory(path) ? ResultSuccess : ResultDirectory;
}

}  // namespace app
