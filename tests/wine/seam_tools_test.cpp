// The outside utilities' launch through the Win32 seam, with the substitute
// programs as real processes (run by run_tool_tests.sh, which writes their
// scripts from tool_profile.json into ORV_SUBSTITUTE_DIR): the quoted
// program part under a work directory with blanks, what the substitutes
// record, the flash tool's window while it runs, and the MICOM tool's
// endings. The same cases run on the simulated notebook in
// tests/firmware/tool_launch_test.cpp.
#include <windows.h>

#include <cstdio>

#include "core/shared_state.h"
#include "firmware/micom.h"
#include "firmware/tool_launch.h"
#include "seam_test.h"
#include "support/image_files.h"

namespace {

using firmware::ToolRun;
using firmware::ToolTask;

// A work directory with blanks in its path, as under Windows XP's TEMP,
// current while the object lives, with a program planted where an unquoted
// start would find it first.
class WorkDirectory {
 public:
  WorkDirectory() : scratch_("tools") {
    os::FileSystem& files = *os::Os().files;
    CHECK(files.MakeDirectory("Docs and Settings"));
    CHECK(files.MakeDirectory("Docs and Settings\\__Orvanta_Update"));
    CHECK(files.Copy(Substitute("WinUpV01_10"), "Docs.exe", false));
    path_ = scratch_.Path() + "\\Docs and Settings\\__Orvanta_Update\\";
    CHECK(files.ChangeDirectory(path_));
    std::snprintf(core::Shared().WorkDirectory, core::kPathSize, "%s", path_.c_str());
  }
  ~WorkDirectory() { core::Shared().WorkDirectory[0] = '\0'; }
  const std::string& Path() const { return path_; }
  static std::string Substitute(const char* name) {
    return seam_test::Given().substitutes + "\\" + name + ".exe";
  }

 private:
  seam_test::ScratchDirectory scratch_;
  std::string path_;
};

// The substitutes' record lines since the last call.
std::vector<std::string> Records() {
  std::string folder;
  CHECK(os::Os().system->GetVariable("ORV_SUBSTITUTE_DIR", &folder));
  const std::string path = folder + "\\substitute-calls.txt";
  const std::string text = seam_test::ReadWholeFile(path);
  DeleteFileA(path.c_str());
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  return lines;
}

// Watches for the flash tool's window from another thread while the main
// thread waits for the tool, as the progress dialog's thread could.
DWORD WINAPI WatchForToolWindow(void* seen) {
  for (int i = 0; i < 400 && !*static_cast<volatile LONG*>(seen); ++i) {
    if (os::Os().dialogs->FindTopLevelWindow("Phoenix Secure WinFlash"))
      InterlockedExchange(static_cast<LONG*>(seen), 1);
    Sleep(10);
  }
  return 0;
}

bool Given() {
  if (!seam_test::Given().substitutes.empty()) return true;
  std::printf("skipped: no --substitutes\n");
  return false;
}

}  // namespace

TEST_CASE(tool_flash_substitute_refuses_leaving_its_file_and_window) {
  if (!Given()) return;
  WorkDirectory work;
  os::FileSystem& files = *os::Os().files;
  CHECK(files.Copy(WorkDirectory::Substitute("SWinFlash_64"), "SWinFlash.exe", false));
  CHECK(seam_test::WriteWholeFile("bios.wph", image_test::PhoenixImage(0x90000, 0x80010, 3)));
  Records();

  LONG seen = 0;
  HANDLE watcher = CreateThread(nullptr, 0, WatchForToolWindow, &seen, 0, nullptr);
  const ToolRun run = firmware::LaunchTool(ToolTask::kFlashBios, "SWinFlash bios.wph /P");
  WaitForSingleObject(watcher, INFINITE);
  CloseHandle(watcher);
  CHECK_EQ(run.ending, ToolRun::Ending::kExited);
  CHECK_EQ(run.exitCode, -120);
  CHECK(seen);
  const std::string line = '"' + work.Path() + "SWinFlash\" bios.wph /P";
  CHECK_EQ(seam_test::ReadWholeFile("DebugLog.txt"), "Bios command : " + line + "\r\n");
  const std::vector<std::string> expected{
      "SWinFlash: command line " + line,
      "SWinFlash: working directory " + work.Path().substr(0, work.Path().size() - 1),
      "SWinFlash: bios.wph: flash-area table with 3 entries",
      "SWinFlash: window \"Phoenix Secure WinFlash\" shown until the end",
      "SWinFlash: left newSys.bin",
      "SWinFlash: exit -120"};
  CHECK(Records() == expected);
  const std::string newSys = seam_test::ReadWholeFile("newSys.bin");
  CHECK_EQ(newSys.size(), size_t{0x100000});
  CHECK_EQ(newSys.substr(0x8000, 5) + newSys.substr(0x800C, 4), std::string("DiaG@NP9X"));
  CHECK_EQ(newSys.substr(0x9000, 8), std::string("DEVELABC"));
}

TEST_CASE(tool_micom_substitute_endings) {
  if (!Given()) return;
  WorkDirectory work;
  os::FileSystem& files = *os::Os().files;
  Records();
  CHECK(files.Copy(WorkDirectory::Substitute("WinUpV01_10"), "WinUpV01_10.exe", false));
  CHECK(seam_test::WriteWholeFile("kbc.bin", "micom image"));
  CHECK_EQ(firmware::RunMicomTool("WinUpV01_10 kbc.bin /FORCE"), core::ResultSuccess);
  const std::vector<std::string> records = Records();
  CHECK(records.size() == 4 && records[2] == "WinUpV01_10: kbc.bin: 11 bytes" &&
        records[3] == "WinUpV01_10: exit 0");
  // A file that is not a program cannot be started: a failure, logged with
  // the system's reason, never an exit code.
  CHECK(seam_test::WriteWholeFile("WinUpV01_10.exe", "placeholder, not a program"));
  CHECK(seam_test::WriteWholeFile("kbc.bin", "micom image"));
  CHECK_EQ(firmware::RunMicomTool("WinUpV01_10 kbc.bin /MAUTO"), core::ResultMicomFailed);
  // The files go whatever the outcome.
  CHECK_EQ(GetFileAttributesA("WinUpV01_10.exe"), INVALID_FILE_ATTRIBUTES);
  CHECK_EQ(GetFileAttributesA("kbc.bin"), INVALID_FILE_ATTRIBUTES);
  const std::string log = seam_test::ReadWholeFile("DebugLog.txt");
  CHECK(log.find("Bios command not started : error 193\r\n") != std::string::npos);
  CHECK(Records().empty());  // neither the tool nor the planted Docs.exe ran
}
