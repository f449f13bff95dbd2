// Outside programs: started, waited for without limit, exit code read.
#include <windows.h>

#include <vector>

#include "os/win32/win32_parts.h"

namespace win32 {
namespace {

class Win32Processes : public os::Processes {
 public:
  os::ProcessOutcome RunAndWait(const std::string& commandLine,
                                const std::string& workingDirectory) override {
    using Ending = os::ProcessOutcome::Ending;
    os::ProcessOutcome outcome;
    // CreateProcessA may write into the command line, so it gets a copy.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    const char* directory = workingDirectory.empty() ? nullptr : workingDirectory.c_str();
    // CREATE_DEFAULT_ERROR_MODE: the tools get the system's error dialogs,
    // not whatever error mode this process runs with.
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                        nullptr, directory, &startup, &process)) {
      outcome.error = GetLastError();
      return outcome;
    }
    CloseHandle(process.hThread);
    // A failed wait or exit-code query is reported as such: the last error
    // is never passed off as the program's exit code.
    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.hProcess, &code)) {
      outcome.ending = Ending::kExitCodeUnknown;
      outcome.error = GetLastError();
    } else {
      outcome.ending = Ending::kExited;
      outcome.exitCode = code;
    }
    CloseHandle(process.hProcess);
    return outcome;
  }
};

}  // namespace

os::Processes& Processes() {
  static Win32Processes processes;
  return processes;
}

}  // namespace win32
