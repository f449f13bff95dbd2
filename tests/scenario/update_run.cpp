#include "scenario/update_run.h"

#include <algorithm>
#include <sstream>

#include "core/shared_state.h"
#include "support/image_files.h"

namespace scenario {
namespace {

// Markers behind the first 512 KiB, a three-entry table.
std::string PhoenixImage() {
  return image_test::PhoenixImage({0x90000,
                                   0x80010,
                                   0x80200,
                                   0x60,
                                   {{0x10000, 0, 0xFFF00000, 0, 0x22},
                                    {0x10000, 0x10000, 0xFFF10000, 0, 0x22},
                                    {0x10000, 0x20000, 0xFFF20000, 0, 0x22}}});
}

}  // namespace

std::vector<Member> Members(Payload payload) {
  std::vector<Member> members = ReleaseMembers();
  auto image = std::find_if(members.begin(), members.end(),
                            [](const Member& m) { return m.name == "R0123.WPH.gz"; });
  switch (payload) {
    case Payload::kPhoenix:
      *image = Gzipped("R0123.WPH", PhoenixImage());
      break;
    case Payload::kPhoenixMicom:
      *image = Gzipped("R0123.WPH", PhoenixImage());
      members.push_back(Gzipped("K0123.bin", "MICOM image"));
      break;
    case Payload::kNoImage:
      members.erase(image);
      break;
    case Payload::kAmi:
      *image = Gzipped("BIOS.ROM", image_test::AmiImage(0x20000, 0x1000, "BA2", "815"));
      break;
  }
  return members;
}

std::string UpdateRunTest::Work() {
  return core::Shared().WorkDirectory;
}

std::string UpdateRunTest::RunLog() {
  std::string log;
  files().Get(Work() + "DebugLog.txt", &log);
  return log;
}

std::vector<std::string> UpdateRunTest::LogMarkers() {
  std::vector<std::string> markers;
  std::istringstream lines(RunLog());
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with("Step ") || line.starts_with("Before ") || line.starts_with("After "))
      markers.push_back(line);
  }
  return markers;
}

std::vector<std::string> UpdateRunTest::ToolsStarted() {
  std::vector<std::string> tools;
  for (const std::string& line : Lines("process")) {
    const size_t started = line.find("): ");
    std::string outcome = started == std::string::npos ? line : line.substr(started + 3);
    if (outcome.starts_with(Work())) outcome.erase(0, Work().size());
    tools.push_back(outcome);
  }
  return tools;
}

std::vector<std::string> UpdateRunTest::WorkEntries() {
  std::vector<std::string> names;
  files().Enumerate(Work() + "*.*", &names);
  std::erase_if(names, [](const std::string& n) { return n == "." || n == ".."; });
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace scenario
