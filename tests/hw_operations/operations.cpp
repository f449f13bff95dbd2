#include "operations.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/log.h"
#include "hw/disk_password.h"
#include "hw/input_devices.h"
#include "hw/mice.h"
#include "os/os.h"

namespace hw_operations {
namespace {

// Each present device's node status and problem, and how many devices are
// of a class whose name begins with "mouse" in any case.
struct DeviceView {
  std::vector<std::pair<uint32_t, uint32_t>> nodes;
  int mice = 0;
};

DeviceView LookAtDevices() {
  os::DeviceManager& manager = *os::Os().deviceManager;
  DeviceView view;
  const os::DeviceListRef list = manager.OpenPresentDevices();
  if (!list) return view;
  for (uint32_t index = 0; manager.HasDevice(list, index); ++index) {
    uint8_t name[512] = {};
    uint32_t required = 0, error = 0, status = 0, problem = 0;
    std::string ascii;
    if (manager.ReadClassName(list, index, name, sizeof name - 2, &required, &error)) {
      for (size_t i = 0; i + 1 < sizeof name && (name[i] || name[i + 1]); i += 2)
        ascii += static_cast<char>(name[i + 1] ? '?' : name[i] | 0x20);
    }
    view.mice += ascii.compare(0, 5, "mouse") == 0;
    if (!manager.NodeStatus(list, index, &status, &problem)) status = problem = 0xFFFFFFFF;
    view.nodes.emplace_back(status, problem);
  }
  manager.ClosePresentDevices(list);
  return view;
}

int Changed(const DeviceView& before, const DeviceView& after) {
  if (before.nodes.size() != after.nodes.size()) return -1;
  int changed = 0;
  for (size_t i = 0; i < before.nodes.size(); ++i) changed += before.nodes[i] != after.nodes[i];
  return changed;
}

void PrintLog() {
  os::FileHandle log = os::Os().files->Open(core::kLogFileName, os::Access::kRead,
                                            os::Disposition::kOpenExisting, os::Share::kRead);
  std::string text;
  char chunk[4096];
  uint32_t got = 0;
  while (log && log->Read(chunk, sizeof chunk, &got) && got) text.append(chunk, got);
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    std::printf("log %s\n", text.substr(start, end - start).c_str());
    if (end == std::string::npos) break;
    start = end + 2;
  }
}

}  // namespace

int RunAll() {
  os::Os().files->Remove(core::kLogFileName);
  const DeviceView first = LookAtDevices();
  std::printf("devices %zu mice %d\n", first.nodes.size(), first.mice);
  std::printf("suspend keyboard %d\n", hw::SuspendInputDevices());
  const DeviceView suspended = LookAtDevices();
  std::printf("changed by suspend %d\n", Changed(first, suspended));
  std::printf("drives 0x%08X\n", hw::FindPasswordProtectedDrives());
  std::printf("resume keyboard %d\n", hw::ResumeInputDevices());
  std::printf("changed by resume %d\n", Changed(suspended, LookAtDevices()));
  PrintLog();
  return 0;
}

int RunMice() {
  hw::SetMiceEnabled(false);
  hw::SetMiceEnabled(true);
  return 0;
}

}  // namespace hw_operations
