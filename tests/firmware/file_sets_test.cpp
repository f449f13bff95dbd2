// The outside utilities' file sets in the work directory: staging the
// Phoenix tools for a width, and what each clean-up removes and spares.
#include <algorithm>
#include <cstring>

#include "firmware/firmware_state.h"
#include "firmware/tool_files.h"
#include "hw/hw_fixture.h"

namespace {

const std::vector<std::string> kPhoenix32 = {"SWinFlash_32.exe", "PhlashNT_32.sys",
                                             "PhlashLc_32.dll", "PHLASH_32.INI", "PHLASH_32.LOG"};
const std::vector<std::string> kPhoenix64 = {"SWinFlash_64.exe", "PhlashNT_64.sys",
                                             "PhlashLc_64.dll", "PHLASH_64.INI", "PHLASH_64.LOG"};

class FileSets : public hwtest::HwTest {
 protected:
  void SetUp() override { Boot("win7-x86-phoenix.json"); }
  void Put(const std::vector<std::string>& names) {
    for (const std::string& name : names) ASSERT_TRUE(notebook().files().Put(name, name));
  }
  // The names left in the current directory, sorted as the system lists them.
  std::vector<std::string> Left() {
    std::vector<std::string> names;
    notebook().files().Enumerate("*.*", &names);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& n) { return n == "." || n == ".."; }),
                names.end());
    return names;
  }
  static void List(firmware::FileList& list, uint8_t& count,
                   const std::vector<std::string>& names) {
    for (const std::string& name : names)
      std::snprintf(list[count++], firmware::kFileNameSize, "%s", name.c_str());
  }
};

TEST_F(FileSets, StagingKeepsOnlyTheWorkingNamesOfTheSystemsWidth) {
  for (int width : {32, 64}) {
    SetUp();
    Put(kPhoenix32);
    Put(kPhoenix64);
    firmware::StagePhoenixTools(width);
    EXPECT_EQ(Left(), (std::vector<std::string>{"PHLASH.INI", "PHLASH.LOG", "PhlashLc.dll",
                                                "PhlashNT.sys", "SWinFlash.exe"}));
    std::string tool;
    notebook().files().Get("SWinFlash.exe", &tool);
    EXPECT_EQ(tool, width == 64 ? "SWinFlash_64.exe" : "SWinFlash_32.exe");
  }
}

TEST_F(FileSets, ListedFilesGoUpToTheFirstEmptyEntryButTheToolsNamesStay) {
  Put({"R0123.WPH", "bios.wph", "late.wph", "k.bin", "KBC.BIN", "mfc42.dll", "msvcrt.dll",
       "PHLASH.ini", "winhlp32.exe", "msvcp60.dll", "DebugLog.txt"});
  firmware::FirmwareState& state = firmware::Firmware();
  List(state.ImageFileList, state.ImageFileCount, {"R0123.WPH", "BIOS.wph"});
  std::snprintf(state.ImageFileList[3], firmware::kFileNameSize,
                "late.wph");  // behind an empty entry
  List(state.MicomFileList, state.MicomFileCount, {"kbc.bin", "K.BIN"});
  firmware::DeleteListedFiles();
  EXPECT_EQ(Left(), (std::vector<std::string>{"bios.wph", "DebugLog.txt", "KBC.BIN", "late.wph"}));
}

TEST_F(FileSets, RemovingTheStagedToolsLeavesOnlyWhatNoSetNames) {
  const std::vector<std::string> staged = {
      "SWinFlash.exe",     "PhlashNT.sys",     "Phlash9X.vxd",   "PhlashLc.dll", "bios.wph",
      "bios.bak",          "newSys.bin",       "AFUDOS.EXE",     "afuwin.exe",   "AFUWINX64.exe",
      "AMIFLDRV.VXD",      "amifldrv32.sys",   "AMIFLDRV64.sys", "bios.rom",     "WinUpV01_10.exe",
      "kbc.bin",           "AddMem.sys",       "PHLASH.LOG",     "PHLASH.INI",   "ConResKr.dll",
      "ConResChs_ami.dll", "ConResSp_ami.dll", "ConResEn.dll",   "R0123.WPH",    "k.bin",
      "msvcrt.dll"};
  Put(staged);
  Put(kPhoenix32);
  Put({"DebugLog.txt", "ConResEn.dll.bak", "other.wph"});
  firmware::FirmwareState& state = firmware::Firmware();
  List(state.ImageFileList, state.ImageFileCount, {"R0123.WPH"});
  List(state.MicomFileList, state.MicomFileCount, {"k.bin"});
  firmware::RemoveStagedTools();
  std::vector<std::string> expected = kPhoenix32;
  expected.insert(expected.end(), {"DebugLog.txt", "ConResEn.dll.bak", "other.wph"});
  std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
  });
  EXPECT_EQ(Left(), expected);
}

}  // namespace
