// Installs the real Windows platform as the one the core runs on, and sets
// the process up to run unattended (no system error boxes).
#pragma once

namespace win32 {

void InstallPlatform();

}  // namespace win32
