// Environment, version, power and process facts, the process's priority
// and the end of the session.
#include <windows.h>

#include "os/win32/kernel32_lookup.h"
#include "os/win32/win32_parts.h"

namespace win32 {
namespace {

// The size the updater's version probe asks for: the extended record.
static_assert(sizeof(OSVERSIONINFOEXA) == 156);
// Paths longer than this are not Windows paths the updater can use.
constexpr DWORD kLongestModulePath = 32768;

class Win32System : public os::System {
 public:
  bool GetVariable(const std::string& name, std::string* value) override {
    std::string buffer(MAX_PATH, '\0');
    // A variable that grows between the calls asks for a bigger buffer again;
    // three rounds cover any real race.
    for (int round = 0; round < 3; ++round) {
      SetLastError(NO_ERROR);
      const DWORD length =
          GetEnvironmentVariableA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
      if (length == 0) {
        // Zero is also the length of a variable set to the empty text.
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
        value->clear();
        return true;
      }
      if (length < buffer.size()) {
        buffer.resize(length);
        *value = buffer;
        return true;
      }
      buffer.assign(length, '\0');  // length includes the terminator here
    }
    return false;
  }

  std::string ModulePath() override {
    // A cut path fills the buffer exactly (without terminator on Windows XP).
    for (DWORD size = MAX_PATH; size <= kLongestModulePath; size *= 2) {
      std::string path(size, '\0');
      const DWORD length = GetModuleFileNameA(nullptr, path.data(), size);
      if (length == 0) return {};
      if (length < size) {
        path.resize(length);
        return path;
      }
    }
    return {};
  }

  bool QueryVersionEx(os::VersionFacts* facts) override {
    OSVERSIONINFOEXA info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    BOOL ok = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
    if (!ok) {
      // Windows 95 and NT 4 before SP6 refuse the extended record but know
      // the plain one, which holds every fact asked for here.
      ZeroMemory(&info, sizeof info);
      info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
      ok = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
    }
    if (!ok) return false;
    facts->major = info.dwMajorVersion;
    facts->minor = info.dwMinorVersion;
    facts->build = info.dwBuildNumber;
    facts->platformId = info.dwPlatformId;
    return true;
  }

  uint32_t Version() override { return GetVersion(); }

  bool QueryWow64(int32_t* isWow64) override {
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    static const auto isWow64Process = LookUpKernel32<IsWow64ProcessFunction>("IsWow64Process");
    *isWow64 = 0;
    if (!isWow64Process) return false;
    BOOL answer = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &answer)) return false;
    *isWow64 = answer;
    return true;
  }

  uint16_t SystemDefaultLanguage() override { return GetSystemDefaultLangID(); }

  bool QueryPowerStatus(os::PowerStatus* status) override {
    SYSTEM_POWER_STATUS power;
    if (!GetSystemPowerStatus(&power)) return false;
    status->acLineStatus = power.ACLineStatus;
    status->batteryPercent = power.BatteryLifePercent;
    return true;
  }

  void WriteStandardError(std::string_view text) override {
    // A windowed program started without redirection has no standard error.
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }

  [[noreturn]] void ExitProcess(uint32_t code) override { ::ExitProcess(code); }

  uint32_t PriorityClass() override { return GetPriorityClass(GetCurrentProcess()); }

  bool SetPriorityClass(uint32_t priorityClass) override {
    return ::SetPriorityClass(GetCurrentProcess(), priorityClass) != FALSE;
  }

  void EnableShutdownPrivilege() override {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
      return;
    TOKEN_PRIVILEGES privileges;
    ZeroMemory(&privileges, sizeof privileges);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
  }

  bool RequestExitWindows(uint32_t flags, uint32_t* error) override {
    if (ExitWindowsEx(flags, 0)) return true;
    *error = GetLastError();
    return false;
  }
};

}  // namespace

os::System& System() {
  static Win32System system;
  return system;
}

}  // namespace win32
