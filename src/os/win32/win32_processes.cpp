// Outside programs: started, waited for without limit, exit code read.
#include <windows.h>

#include <vector>

#include "os/win32/win32_parts.h"

namespace win32 {
namespace {

class Win32Processes : public os::Processes {
 public:
  bool RunAndWait(const std::string& commandLine, const std::string& workingDirectory,
                  uint32_t* exitCode) override {
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
                        nullptr, directory, &startup, &process))
      return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    // An unreadable exit code reports why, as the tools' callers expect.
    *exitCode = GetExitCodeProcess(process.hProcess, &code) ? code : GetLastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  }
};

}  // namespace

os::Processes& Processes() {
  static Win32Processes processes;
  return processes;
}

}  // namespace win32
