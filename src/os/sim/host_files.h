// Whole-file reads and writes of host files, for the simulation's tools and
// tests (profiles, packages, fixtures).
#pragma once

#include <string>

namespace sim {

bool ReadHostFile(const std::string& path, std::string* content);
bool WriteHostFile(const std::string& path, const std::string& content);

// A new, empty host folder under the system's temporary folder for one run's
// simulated disks; removed with everything in it when the object goes.
// path() is empty when no folder could be made.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& prefix = "orv");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace sim
