// The seam's tests under Wine. Arguments:
//   --only PREFIX               run only the cases whose name starts with it
//   --updater PATH              the built OrvantaUpdate.exe (Windows path)
//   --expect-version M.N.P      version facts the prefix reports
//   --expect-wow64 0|1          whether the prefix runs us under WOW64
//   --exit CODE                 leave at once through the seam with CODE
//   --message-box TITLE         show an error box titled TITLE, then leave
//                               with 0x80000000 + the button pressed
//   --power-off FILE            ask for the power-off as a finished run does,
//                               with a window up on another thread as the
//                               progress dialog is; should the program go on
//                               for ten seconds, write FILE and leave with 3
//   --substitutes DIR           folder of the substitute utilities (Windows
//                               path), for the tool_ cases
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "hw/power_cycle.h"
#include "os/win32/win32_platform.h"
#include "seam_test.h"

namespace seam_test {
namespace {

Settings g_settings;

bool ParseVersion(const char* text, Settings* settings) {
  unsigned major = 0, minor = 0, platform = 0;
  if (std::sscanf(text, "%u.%u.%u", &major, &minor, &platform) != 3) return false;
  settings->major = major;
  settings->minor = minor;
  settings->platformId = platform;
  return true;
}

void RemoveTree(const std::string& directory) {
  std::vector<std::string> names;
  os::Os().files->Enumerate(directory + "\\*", &names);
  for (const std::string& name : names) {
    if (name == "." || name == "..") continue;
    const std::string path = directory + "\\" + name;
    if (!DeleteFileA(path.c_str())) RemoveTree(path);
  }
  RemoveDirectoryA(directory.c_str());
}

// A top-level window with its own message loop, as the progress dialog's
// thread has: the system ends the session's programs through their windows.
DWORD WINAPI WindowThread(void* created) {
  CreateWindowExA(0, "STATIC", "seam power-off", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 200, 80, nullptr,
                  nullptr, GetModuleHandleA(nullptr), nullptr);
  SetEvent(created);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

int PowerOff(const char* wentOn) {
  HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(CreateThread(nullptr, 0, WindowThread, created, 0, nullptr));
  WaitForSingleObject(created, 10000);
  hw::ShutdownSystem(hw::kExitWindowsPowerOff);
  Sleep(10000);
  WriteWholeFile(wentOn, "the program went on after the power-off request");
  return 3;
}

}  // namespace

const Settings& Given() {
  return g_settings;
}

ScratchDirectory::ScratchDirectory(const char* name) {
  os::FileSystem& files = *os::Os().files;
  previous_ = files.CurrentDirectory();
  std::string temp;
  if (!os::Os().system->GetVariable("TEMP", &temp)) temp = "C:\\";
  path_ = temp + "\\orv_" + name + "_" + std::to_string(GetCurrentProcessId());
  RemoveTree(path_);
  CHECK(files.MakeDirectory(path_));
  CHECK(files.ChangeDirectory(path_));
}

ScratchDirectory::~ScratchDirectory() {
  os::Os().files->ChangeDirectory(previous_);
  RemoveTree(path_);
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  os::FileHandle file = os::Os().files->Open(path, os::Access::kWrite,
                                             os::Disposition::kCreateAlways, os::Share::kNone);
  uint32_t written = 0;
  return file && file->Write(content.data(), static_cast<uint32_t>(content.size()), &written) &&
         written == content.size();
}

std::string ReadWholeFile(const std::string& path) {
  os::FileHandle file = os::Os().files->Open(path, os::Access::kRead,
                                             os::Disposition::kOpenExisting, os::Share::kRead);
  std::string content;
  if (!file) return content;
  char block[4096];
  uint32_t got = 0;
  // Bounded: the scratch files are small.
  for (int rounds = 0; rounds < 1024 && file->Read(block, sizeof block, &got) && got > 0; ++rounds)
    content.append(block, got);
  return content;
}

}  // namespace seam_test

int main(int argc, char** argv) {
  win32::InstallPlatform();
  std::string only;
  for (int i = 1; i + 1 < argc; i += 2) {
    const char* option = argv[i];
    const char* value = argv[i + 1];
    if (!std::strcmp(option, "--exit")) {
      os::Os().system->ExitProcess(static_cast<uint32_t>(std::strtoul(value, nullptr, 0)));
    } else if (!std::strcmp(option, "--message-box")) {
      const int button = os::Os().ui->ShowMessageBox(0, "Answer this box.", value, 0x10);
      os::Os().system->ExitProcess(0x80000000u | static_cast<uint32_t>(button));
    } else if (!std::strcmp(option, "--power-off")) {
      return seam_test::PowerOff(value);
    } else if (!std::strcmp(option, "--substitutes")) {
      seam_test::g_settings.substitutes = value;
    } else if (!std::strcmp(option, "--only")) {
      only = value;
    } else if (!std::strcmp(option, "--updater")) {
      seam_test::g_settings.updaterPath = value;
    } else if (!std::strcmp(option, "--expect-version")) {
      if (!seam_test::ParseVersion(value, &seam_test::g_settings)) return 2;
    } else if (!std::strcmp(option, "--expect-wow64")) {
      seam_test::g_settings.wow64 = std::atoi(value);
    } else {
      std::printf("unknown option %s\n", option);
      return 2;
    }
  }
  return check::RunCases(only);
}
