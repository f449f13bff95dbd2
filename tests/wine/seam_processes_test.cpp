// Outside programs (how each ending is told apart, the quoted program
// part), the process's error mode and priority class, and its own end.
#include <windows.h>

#include "seam_test.h"

namespace {

using Ending = os::ProcessOutcome::Ending;

// exit_with.exe lives beside this program.
std::string Beside(const std::string& name) {
  std::string path = os::Os().system->ModulePath();
  return path.substr(0, path.find_last_of('\\') + 1) + name;
}

os::ProcessOutcome Run(const std::string& commandLine, const std::string& directory) {
  return os::Os().processes->RunAndWait(commandLine, directory);
}

}  // namespace

TEST_CASE(processes_run_in_directory_and_exit_code) {
  seam_test::ScratchDirectory scratch("processes");
  os::FileSystem& files = *os::Os().files;
  CHECK(files.MakeDirectory("work"));
  const std::string work = scratch.Path() + "\\work";

  // The whole 32-bit code comes back, and the program ran in `work`.
  os::ProcessOutcome outcome = Run("\"" + Beside("exit_with.exe") + "\" 0x80000013 made.txt", work);
  CHECK_EQ(outcome.ending, Ending::kExited);
  CHECK_EQ(outcome.exitCode, 0x80000013u);
  CHECK_EQ(seam_test::ReadWholeFile("work\\made.txt"), work);
  CHECK_EQ(seam_test::ReadWholeFile("made.txt"), std::string());
  CHECK_EQ(Run("\"" + Beside("exit_with.exe") + "\" 0", "").exitCode, 0u);

  // The seam's own ExitProcess ends this program with all 32 bits.
  outcome = Run("\"" + os::Os().system->ModulePath() + "\" --exit 0xFFFFFFFF", work);
  CHECK_EQ(outcome.ending, Ending::kExited);
  CHECK_EQ(outcome.exitCode, 0xFFFFFFFFu);
}

// A program that cannot be created is told apart from one that ran, with
// the system's reason; an error number is never passed off as an exit code.
TEST_CASE(processes_that_cannot_start) {
  seam_test::ScratchDirectory scratch("not_started");
  CHECK(seam_test::WriteWholeFile("text.exe", "not a program"));
  struct Case {
    std::string line, directory;
    uint32_t error;
  } cases[] = {
      {scratch.Path() + "\\no_such_program.exe", scratch.Path(), os::error::kFileNotFound},
      {'"' + scratch.Path() + "\\text.exe\"", scratch.Path(), os::error::kBadExeFormat},
      {'"' + Beside("exit_with.exe") + "\" 0", scratch.Path() + "\\gone",
       os::error::kDirectoryInvalid},
  };
  for (const Case& c : cases) {
    const os::ProcessOutcome outcome = Run(c.line, c.directory);
    CHECK_EQ(outcome.ending, Ending::kNotStarted);
    CHECK_EQ(outcome.error, c.error);
  }
}

// Unquoted, a program path with blanks is read as the shortest program that
// exists: the reason the updater quotes the tools' program part.
TEST_CASE(processes_quoting_decides_which_program_runs) {
  seam_test::ScratchDirectory scratch("quoting");
  os::FileSystem& files = *os::Os().files;
  CHECK(files.MakeDirectory("Work Dir"));
  CHECK(files.Copy(Beside("exit_with.exe"), "Work Dir\\tool.exe", false));
  const std::string tool = scratch.Path() + "\\Work Dir\\tool";
  CHECK_EQ(Run('"' + tool + "\" 7", scratch.Path()).exitCode, 7u);
  CHECK_EQ(Run(tool + " 7", scratch.Path()).exitCode, 7u);  // nothing shorter exists yet
  CHECK(files.Copy(Beside("exit_with.exe"), "Work.exe", false));
  // "Work.exe" now runs with "Dir\tool" as its first argument, which reads as 0.
  CHECK_EQ(Run(tool + " 7", scratch.Path()).exitCode, 0u);
  CHECK_EQ(Run('"' + tool + "\" 7", scratch.Path()).exitCode, 7u);
}

TEST_CASE(processes_no_system_error_boxes) {
  // Set when the platform was installed; reading the mode means setting it.
  const UINT mode = SetErrorMode(0);
  SetErrorMode(mode);
  CHECK_EQ(mode & (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX),
           static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
}

TEST_CASE(processes_priority_class_and_shutdown_privilege) {
  os::System& system = *os::Os().system;
  const uint32_t start = system.PriorityClass();
  CHECK_EQ(start, static_cast<uint32_t>(GetPriorityClass(GetCurrentProcess())));
  CHECK(system.SetPriorityClass(HIGH_PRIORITY_CLASS));
  CHECK_EQ(system.PriorityClass(), static_cast<uint32_t>(HIGH_PRIORITY_CLASS));
  CHECK(!system.SetPriorityClass(0x12345));
  CHECK(system.SetPriorityClass(start));
  CHECK_EQ(system.PriorityClass(), start);

  system.EnableShutdownPrivilege();
  HANDLE token = nullptr;
  CHECK(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  LUID shutdown;
  CHECK(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown));
  PRIVILEGE_SET set;
  set.PrivilegeCount = 1;
  set.Control = PRIVILEGE_SET_ALL_NECESSARY;
  set.Privilege[0].Luid = shutdown;
  set.Privilege[0].Attributes = 0;
  BOOL held = FALSE;
  CHECK(PrivilegeCheck(token, &set, &held));
  CHECK(held);
  CloseHandle(token);
}
