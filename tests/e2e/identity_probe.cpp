// identity_probe.exe FILE: reads the installed firmware's identity through
// the memory driver, as the updater does, and writes it to FILE as the
// simulated route prints it ("identity NAME: VALUE" lines). The end-to-end
// runs start it after the updater, in the same boot.
#include <cstdio>

#include "identity_report.h"
#include "os/win32/win32_platform.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: identity_probe FILE\n");
    return 2;
  }
  win32::InstallPlatform();
  std::FILE* out = std::fopen(argv[1], "w");
  if (!out) return 1;
  for (const std::string& line : orvsim::ReadIdentityLines())
    std::fprintf(out, "identity %s\n", line.c_str());
  return std::fclose(out) == 0 ? 0 : 1;
}
