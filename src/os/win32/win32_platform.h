// Installs the real Windows platform as the one the core runs on.
#pragma once

namespace win32 {

void InstallPlatform();

}  // namespace win32
