// hw_operations.exe [--mice]: the operations on the real Windows platform
// (under Wine with the test drivers). operations.h says what it prints.
#include <cstring>

#include "operations.h"
#include "os/win32/win32_platform.h"

int main(int argc, char** argv) {
  win32::InstallPlatform();
  if (argc == 2 && std::strcmp(argv[1], "--mice") == 0) return hw_operations::RunMice();
  return hw_operations::RunAll();
}
