// The language resource library: chosen by the system's default language,
// unpacked from the package into the current directory (%TEMP% or C:\, made
// current by the sequence) and loaded as ResourceModule.
#pragma once

#include <cstdint>
#include <string>

namespace ui {

// "Chs", "Cht", "Gr", "Sp", "Fr", "Kr", "Po", "Ru" or "En" for a language
// identifier (whole 16-bit values).
const char* LanguageCode(uint16_t languageId);

// "ConRes" + code + ".dll", or "_ami.dll" on AMI firmware.
std::string LanguageLibraryName(uint16_t languageId, bool amiFirmware);

// False when no library was extracted (ResourceModule is then the caller's
// choice); true when one was, with ResourceModule holding it or 0 when it
// could not be loaded. The AMI firmware's libraries carry "_ami" names.
bool LoadLanguageModule(bool amiFirmware);

}  // namespace ui
