#include "package/diagnostics.h"

#include <cstdlib>

#include "os/os.h"

namespace package {

std::string ProgramName() {
  const std::string path = os::Os().system->ModulePath();
  const size_t slash = path.find_last_of("\\/");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.empty() ? "OrvantaUpdate" : name;
}

void EndExtraction(const std::string& line) {
  os::System& system = *os::Os().system;
  system.WriteStandardError(line + "\n");
  system.ExitProcess(1);
  // The platform's exit does not return; should it ever, stop here rather
  // than write anything more.
  std::abort();
}

}  // namespace package
