// Runs the update on a simulated notebook with a package made for the test.
#pragma once

#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace scenario {

struct Member {
  std::string name;  // stored name, ".gz" included when compressed
  std::string data;  // stored bytes
};

// A member compressed as the package tool does.
Member Gzipped(const std::string& name, const std::string& content);

// The members of a small release-like package: the English libraries, the
// legacy driver, an image, the Phoenix and AMI tools, the MICOM tool.
std::vector<Member> ReleaseMembers();

class ScenarioTest : public testing_support::SimTest {
 protected:
  // Places a package (stand-in executable + archive) at the module path.
  void InstallPackage(uint32_t flags, const std::vector<Member>& members);
  void InstallPackageBytes(const std::string& bytes);
  // Runs the update with `commandLine`; the exit code, however the run ended.
  uint32_t RunUpdate(const std::string& commandLine = "");

  std::vector<std::string> Lines(const std::string& kind) { return transcript().Of(kind); }
  // Index of the first transcript line containing `text`, -1 when none.
  int Find(const std::string& text);
  std::string WorkFile(const std::string& name);
  bool WorkFileExists(const std::string& name);
  std::string WorkLog() { return WorkFile("DebugLog.txt"); }

  static constexpr const char* kTemp = "C:\\Users\\tech\\AppData\\Local\\Temp";
  static constexpr const char* kWork = "C:\\Users\\tech\\AppData\\Local\\Temp\\__Orvanta_Update\\";
  bool processEnded_ = false;
};

}  // namespace scenario
