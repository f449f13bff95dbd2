// Whole update runs on the simulated notebook: the packages they install
// and what a run leaves to look at.
#pragma once

#include <string>
#include <vector>

#include "scenario/scenario.h"

namespace scenario {

enum class Payload {
  kPhoenix,       // a Phoenix image the flash tool reads ("R0123.WPH"), the tools, no MICOM file
  kPhoenixMicom,  // the same with a MICOM image ("K0123.bin")
  kNoImage,       // the tools without an image
  kAmi,           // "BIOS.ROM" (part BA2, version 815) in place of the Phoenix image
};

// The release-like members of ReleaseMembers with the payload's images.
std::vector<Member> Members(Payload payload);

class UpdateRunTest : public ScenarioTest {
 protected:
  // The run's work directory (under the profile's TEMP) and its log.
  std::string Work();
  std::string RunLog();
  // The work log's "Step" lines and the AMI path's "Before"/"After" lines.
  std::vector<std::string> LogMarkers();
  // Each program started, as "FILE.exe -> exit N" (its folder left out) or
  // "not started (error N)".
  std::vector<std::string> ToolsStarted();
  // The run's work directory's entries, sorted.
  std::vector<std::string> WorkEntries();
  bool PoweredOff() { return Find("power: ExitWindowsEx 0x00000008: the session ends") >= 0; }
};

}  // namespace scenario
