#include "os/sim/sim_libraries.h"

namespace sim {

os::ModuleRef SimLibraries::LoadResourceLibrary(const std::string& fullPath) {
  std::string content;
  if (!files_->Get(fullPath, &content) || content.compare(0, 2, "MZ") != 0) {
    transcript_->Add("library", "load " + fullPath + ": failed");
    return 0;
  }
  transcript_->Add("library", "load " + fullPath + " as data");
  loaded_.insert(next_);
  return next_++;
}

void SimLibraries::RestrictLibrarySearch() {
  transcript_->Add("library", "search restricted to the system directory");
}

}  // namespace sim
