#include "ui/language.h"

#include "core/shared_state.h"
#include "os/os.h"
#include "package/extract.h"

namespace ui {
namespace {

struct LanguageRow {
  const char* code;
  uint16_t ids[20];  // unused places are 0
};

constexpr LanguageRow kLanguages[] = {
    {"Chs", {0x0804}},
    {"Cht", {0x0404, 0x0C04, 0x1004}},
    {"Gr", {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407}},
    {"Sp", {0x040A, 0x080A, 0x0C0A, 0x100A, 0x140A, 0x180A, 0x1C0A, 0x200A, 0x240A, 0x280A,
            0x2C0A, 0x300A, 0x340A, 0x380A, 0x3C0A, 0x400A, 0x440A, 0x480A, 0x4C0A, 0x500A}},
    {"Fr", {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C}},
    {"Kr", {0x0412}},
    {"Po", {0x0416, 0x0816}},
    {"Ru", {0x0419}},
};

}  // namespace

const char* LanguageCode(uint16_t languageId) {
  for (const LanguageRow& row : kLanguages)
    for (uint16_t id : row.ids)
      if (id && id == languageId) return row.code;
  return "En";
}

std::string LanguageLibraryName(uint16_t languageId, bool amiFirmware) {
  return std::string("ConRes") + LanguageCode(languageId) + (amiFirmware ? "_ami.dll" : ".dll");
}

bool LoadLanguageModule(bool amiFirmware) {
  const std::string name =
      LanguageLibraryName(os::Os().system->SystemDefaultLanguage(), amiFirmware);
  if (!package::ExtractSingleMember(name.c_str())) return false;
  // Loaded from the full path of the file just extracted, as data only: no
  // code of it runs and no other file of that name can be picked up.
  std::string fullPath = os::Os().files->CurrentDirectory();
  if (fullPath.empty() || fullPath.back() != '\\') fullPath += '\\';
  fullPath += name;
  core::Shared().ResourceModule = os::Os().libraries->LoadResourceLibrary(fullPath);
  return true;
}

}  // namespace ui
