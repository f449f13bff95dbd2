#include "firmware/tool_files.h"

#include "os/os.h"

namespace firmware {
namespace {

template <size_t N>
void DeleteAll(const char* const (&names)[N]) {
  for (const char* name : names) os::Os().files->Remove(name);
}

constexpr const char* kPhoenix32[] = {"SWinFlash_32.exe", "PhlashNT_32.sys", "PhlashLc_32.dll",
                                      "PHLASH_32.INI", "PHLASH_32.LOG"};
constexpr const char* kPhoenix64[] = {"SWinFlash_64.exe", "PhlashNT_64.sys", "PhlashLc_64.dll",
                                      "PHLASH_64.INI", "PHLASH_64.LOG"};
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

}  // namespace

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

}  // namespace firmware
