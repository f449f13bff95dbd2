// Language libraries are loaded as data, and the process's own library
// search never reaches the current directory or the program's folder: a
// library with code (orv_probe.dll, beside this program) must never run.
// Run on its own (--only libraries): the restriction lasts for the process.
#include <windows.h>

#include "seam_test.h"

namespace {

constexpr const char* kProbe = "orv_probe.dll";

bool ProbeRan() {
  return GetFileAttributesA("probe-ran.txt") != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST_CASE(libraries_never_run_code) {
  seam_test::ScratchDirectory scratch("libraries");
  const std::string program = os::Os().system->ModulePath();
  const std::string beside = program.substr(0, program.find_last_of('\\') + 1) + kProbe;
  CHECK(CopyFileA(beside.c_str(), kProbe, FALSE));

  const os::ModuleRef module =
      os::Os().libraries->LoadResourceLibrary(scratch.Path() + "\\" + kProbe);
  CHECK(module != 0);
  CHECK(!ProbeRan());

  // A library that system code loads by its bare name: it is in the current
  // directory and beside the program, and neither copy may be found.
  os::Os().libraries->RestrictLibrarySearch();
  CHECK(LoadLibraryA(kProbe) == nullptr);
  CHECK(!ProbeRan());
  if (module) FreeLibrary(reinterpret_cast<HMODULE>(module));
}
