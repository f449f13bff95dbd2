#include "core/temp_directory.h"

#include "core/shared_state.h"
#include "os/os.h"

namespace core {

bool ReadTempDirectory(std::string* directory) {
  std::string value;
  if (!os::Os().system->GetVariable("TEMP", &value) || value.empty() ||
      value.size() >= static_cast<size_t>(kPathSize))
    return false;
  *directory = value;
  return true;
}

std::string TempDirectoryOrDriveRoot() {
  std::string directory;
  return ReadTempDirectory(&directory) ? directory : "C:\\";
}

bool EnterTempDirectory() {
  return os::Os().files->ChangeDirectory(TempDirectoryOrDriveRoot());
}

}  // namespace core
