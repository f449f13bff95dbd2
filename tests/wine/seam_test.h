// Shared set-up of the seam's tests under Wine: what the harness tells the
// program, and a scratch directory per case.
#pragma once

#include <cstdint>
#include <string>

#include "check.h"
#include "os/os.h"

namespace seam_test {

struct Settings {
  std::string updaterPath;  // OrvantaUpdate.exe, as a Windows path
  // The version facts the prefix is set to report.
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t platformId = 0;
  int32_t wow64 = -1;       // -1: not told
  std::string substitutes;  // folder of the substitute utilities; empty: not told
};
const Settings& Given();

// A fresh, empty directory under %TEMP% that is the current directory while
// the object lives; removed with its files afterwards.
class ScratchDirectory {
 public:
  explicit ScratchDirectory(const char* name);
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string previous_;
  std::string path_;
};

// Whole-file helpers through the seam.
bool WriteWholeFile(const std::string& path, const std::string& content);
std::string ReadWholeFile(const std::string& path);  // empty when unreadable

}  // namespace seam_test
