#include "firmware/tool_files.h"

#include <iterator>

#include "firmware/firmware_state.h"
#include "firmware/phoenix_tool_names.h"
#include "os/ascii_case.h"
#include "os/os.h"

namespace firmware {
namespace {

template <size_t N>
void DeleteAll(const char* const (&names)[N]) {
  for (const char* name : names) os::Os().files->Remove(name);
}

constexpr const char* kPhoenixWorkingRemoved[] = {"SWinFlash.exe", "PhlashNT.sys", "Phlash9X.vxd",
                                                  "PhlashLc.dll",  "bios.wph",     "bios.bak",
                                                  "newSys.bin"};
constexpr const char* kAmi[] = {"AFUDOS.EXE",     "AFUWIN.EXE",     "AFUWINX64.EXE", "AMIFLDRV.VXD",
                                "AMIFLDRV32.sys", "AMIFLDRV64.sys", "BIOS.ROM"};
constexpr const char* kMicomTool[] = {"WinUpV01_10.exe", "kbc.bin"};
constexpr const char* kLanguageModules[] = {
    "ConResKr.dll",     "ConResChs.dll",    "ConResCht.dll",     "ConResEn.dll",
    "ConResFr.dll",     "ConResGr.dll",     "ConResPo.dll",      "ConResRu.dll",
    "ConResSp.dll",     "ConResKr_ami.dll", "ConResChs_ami.dll", "ConResCht_ami.dll",
    "ConResEn_ami.dll", "ConResFr_ami.dll", "ConResGr_ami.dll",  "ConResPo_ami.dll",
    "ConResRu_ami.dll", "ConResSp_ami.dll"};
constexpr const char* kRuntimeFiles[] = {"PHLASH.ini", "mfc42.dll", "msvcp60.dll", "msvcrt.dll",
                                         "winhlp32.exe"};

void DeleteListExcept(const FileList& list, const char* kept) {
  for (int i = 0; i < kFileListEntries && list[i][0]; ++i)
    if (!ascii_case::Same(list[i], kept)) os::Os().files->Remove(list[i]);
}

}  // namespace

void StagePhoenixTools(int width) {
  const auto& staged = width == 64 ? kPhoenix64 : kPhoenix32;
  for (size_t i = 0; i < std::size(staged); ++i)
    os::Os().files->Rename(staged[i], kPhoenixWorkingNames[i]);
  if (width == 64)
    DeletePhoenixSet32();
  else
    DeletePhoenixSet64();
}

void DeletePhoenixSet32() {
  DeleteAll(kPhoenix32);
}
void DeletePhoenixSet64() {
  DeleteAll(kPhoenix64);
}
void DeletePhoenixWorkingSet() {
  DeleteAll(kPhoenixWorkingRemoved);
}
void DeleteAmiSet() {
  DeleteAll(kAmi);
}
void DeleteMicomTool() {
  DeleteAll(kMicomTool);
}
void DeleteLanguageModules() {
  DeleteAll(kLanguageModules);
}

void DeleteListedFiles() {
  const FirmwareState& state = Firmware();
  DeleteListExcept(state.ImageFileList, "bios.wph");
  DeleteListExcept(state.MicomFileList, "kbc.bin");
  DeleteAll(kRuntimeFiles);
}

void RemoveStagedTools() {
  DeletePhoenixWorkingSet();
  DeleteAmiSet();
  DeleteMicomTool();
  os::Os().files->Remove("AddMem.sys");
  os::Os().files->Remove("PHLASH.log");
  DeleteLanguageModules();
  DeleteListedFiles();
}

}  // namespace firmware
