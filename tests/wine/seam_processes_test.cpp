// Outside programs, the process's error mode and its own end.
#include <windows.h>

#include "seam_test.h"

namespace {

// exit_with.exe lives beside this program.
std::string Beside(const std::string& name) {
  std::string path = os::Os().system->ModulePath();
  return path.substr(0, path.find_last_of('\\') + 1) + name;
}

}  // namespace

TEST_CASE(processes_run_in_directory_and_exit_code) {
  seam_test::ScratchDirectory scratch("processes");
  os::FileSystem& files = *os::Os().files;
  CHECK(files.MakeDirectory("work"));
  const std::string work = scratch.Path() + "\\work";

  uint32_t code = 0;
  // The whole 32-bit code comes back, and the program ran in `work`.
  CHECK(os::Os().processes->RunAndWait("\"" + Beside("exit_with.exe") + "\" 0x80000013 made.txt",
                                       work, &code));
  CHECK_EQ(code, 0x80000013u);
  CHECK_EQ(seam_test::ReadWholeFile("work\\made.txt"), work);
  CHECK_EQ(seam_test::ReadWholeFile("made.txt"), std::string());

  CHECK(os::Os().processes->RunAndWait("\"" + Beside("exit_with.exe") + "\" 0", "", &code));
  CHECK_EQ(code, 0u);

  code = 12345;
  CHECK(!os::Os().processes->RunAndWait(scratch.Path() + "\\no_such_program.exe", work, &code));

  // The seam's own ExitProcess ends this program with all 32 bits.
  CHECK(os::Os().processes->RunAndWait(
      "\"" + os::Os().system->ModulePath() + "\" --exit 0xFFFFFFFF", work, &code));
  CHECK_EQ(code, 0xFFFFFFFFu);
}

// One update at a time: the object is seen by other processes, and by this
// one's second claim.
TEST_CASE(processes_machine_wide_claim) {
  CHECK(os::Os().system->ClaimMachineWide("OrvSeamClaim") == os::Claim::kTaken);
  CHECK(os::Os().system->ClaimMachineWide("OrvSeamClaim") == os::Claim::kHeldElsewhere);
  uint32_t code = 0;
  CHECK(os::Os().processes->RunAndWait(
      "\"" + os::Os().system->ModulePath() + "\" --claim OrvSeamClaim", "", &code));
  CHECK_EQ(code, static_cast<uint32_t>(os::Claim::kHeldElsewhere));
  CHECK(os::Os().processes->RunAndWait(
      "\"" + os::Os().system->ModulePath() + "\" --claim OrvSeamOther", "", &code));
  CHECK_EQ(code, static_cast<uint32_t>(os::Claim::kTaken));
}

TEST_CASE(processes_no_system_error_boxes) {
  // Set when the platform was installed; reading the mode means setting it.
  const UINT mode = SetErrorMode(0);
  SetErrorMode(mode);
  CHECK_EQ(mode & (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX),
           static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
}
