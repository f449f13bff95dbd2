#include "os/os.h"

namespace os {
namespace {
Platform g_platform;
}

Platform& Os() {
  return g_platform;
}

void InstallPlatform(const Platform& platform) {
  g_platform = platform;
}

}  // namespace os
