// The language libraries a package carries for the updater: one per
// language code and firmware path, "ConRes" + code + ".dll" for Phoenix
// firmware and + "_ami.dll" for AMI firmware. The updater picks the code
// from the system's default language; a test holds this list to its choice.
#pragma once

#include <string>

namespace orvpack {

struct LanguageLibrary {
  const char* code;
  const char* systems;  // who gets it
  bool doubleByte;      // its ANSI code page takes two bytes for most other characters
};

inline constexpr LanguageLibrary kLanguageLibraries[] = {
    {"En", "English systems and those of every language without a library", false},
    {"Chs", "Chinese (Simplified) systems", true},
    {"Cht", "Chinese (Traditional) systems", true},
    {"Gr", "German systems", false},
    {"Sp", "Spanish systems", false},
    {"Fr", "French systems", false},
    {"Kr", "Korean systems", true},
    {"Po", "Portuguese systems", false},
    {"Ru", "Russian systems", false},
};

inline std::string LanguageLibraryName(const LanguageLibrary& library, bool amiFirmware) {
  return std::string("ConRes") + library.code + (amiFirmware ? "_ami.dll" : ".dll");
}

}  // namespace orvpack
