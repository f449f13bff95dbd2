// The MICOM (embedded controller) update: which controller the notebook
// has, and the MICOM tool's run after the BIOS flash.
#pragma once

#include <cstdint>

#include "core/results.h"

namespace firmware {

inline constexpr uint32_t kChipPortPrimary = 0x2E;
inline constexpr uint32_t kChipPortSecondary = 0x6C2;

// Probes the configuration ports 0x2E, then (unless 0x2E answered 'M')
// 0x6C2, for the vendor letter 'M' and sets Firmware().ControllerVendorM.
// For a vendor-'M' controller it also locates the EC mailbox behind the
// port that answered. 1 vendor 'M', 0 another vendor, -1 vendor 'M' but
// the driver could not be opened afterwards.
int CheckControllerVendor();

// Runs the MICOM tool with `commandLine` (relative to the work directory)
// unless SkipUpdateMicom is set; its files are deleted whatever the
// outcome. Only exit code 0 is success: any other, and a tool that could
// not be started or whose exit code cannot be read, give ResultMicomFailed.
core::ResultCode RunMicomTool(const char* commandLine);

}  // namespace firmware
