// What the updater reads of the installed firmware, as "name: value"
// lines: on Phoenix firmware the six identity fields, on AMI firmware the
// two values the AMI path compares. Shared by `orv-sim identity` and the
// end-to-end runs, whose simulated and Wine routes print the same lines.
#pragma once

#include <string>
#include <vector>

namespace orvsim {

// Probes the platform, detects the firmware vendor and reads through the
// memory driver, with the UpdateFlags as they stand (UseDiagRecord).
std::vector<std::string> ReadIdentityLines();

}  // namespace orvsim
