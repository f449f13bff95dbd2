// The bits of UpdateFlags: the one table of their values and names. The
// option parser, the update sequence and the package tool all read it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace core {

inline constexpr uint32_t BlockPowerOff = 0x00000001;
inline constexpr uint32_t SkipCheckPart = 0x00000002;
inline constexpr uint32_t SkipCheckModel = 0x00000004;
inline constexpr uint32_t FlashLastArea = 0x00000008;
inline constexpr uint32_t SkipUpdateMicom = 0x00000010;
inline constexpr uint32_t NoMessageBox = 0x00000020;
inline constexpr uint32_t ClearCmos = 0x00000040;
inline constexpr uint32_t BiosFlagB = 0x00000080;
inline constexpr uint32_t BreakEscd = 0x00000100;
inline constexpr uint32_t DmiMode3 = 0x00000200;
inline constexpr uint32_t DmiMode2 = 0x00000400;
inline constexpr uint32_t DmiMode1 = 0x00000800;
inline constexpr uint32_t DmiOnly = 0x00001000;
inline constexpr uint32_t ReadBios = 0x00002000;
inline constexpr uint32_t SkipUpdateFiles = 0x00004000;
inline constexpr uint32_t SkipCheckDate = 0x00008000;
inline constexpr uint32_t SkipCheckPower = 0x00010000;
inline constexpr uint32_t VistaUpgrade = 0x00020000;
inline constexpr uint32_t KeepPowerOn = 0x00040000;
inline constexpr uint32_t UseDiagRecord = 0x00080000;

// Bits 0x00100000 and above have no meaning.
inline constexpr uint32_t kKnownUpdateFlags = 0x000FFFFF;

struct UpdateFlagName {
  uint32_t value;
  const char* name;
};

// In bit order, one entry per defined bit.
inline constexpr UpdateFlagName kUpdateFlagNames[] = {
    {BlockPowerOff, "BlockPowerOff"},
    {SkipCheckPart, "SkipCheckPart"},
    {SkipCheckModel, "SkipCheckModel"},
    {FlashLastArea, "FlashLastArea"},
    {SkipUpdateMicom, "SkipUpdateMicom"},
    {NoMessageBox, "NoMessageBox"},
    {ClearCmos, "ClearCmos"},
    {BiosFlagB, "BiosFlagB"},
    {BreakEscd, "BreakEscd"},
    {DmiMode3, "DmiMode3"},
    {DmiMode2, "DmiMode2"},
    {DmiMode1, "DmiMode1"},
    {DmiOnly, "DmiOnly"},
    {ReadBios, "ReadBios"},
    {SkipUpdateFiles, "SkipUpdateFiles"},
    {SkipCheckDate, "SkipCheckDate"},
    {SkipCheckPower, "SkipCheckPower"},
    {VistaUpgrade, "VistaUpgrade"},
    {KeepPowerOn, "KeepPowerOn"},
    {UseDiagRecord, "UseDiagRecord"},
};

// The names of the bits set in `flags`, joined by "|", with any bits beyond
// the named ones as one hexadecimal value; empty when no bit is set.
inline std::string UpdateFlagNames(uint32_t flags) {
  std::string names;
  for (const UpdateFlagName& flag : kUpdateFlagNames) {
    if (!(flags & flag.value)) continue;
    if (!names.empty()) names += '|';
    names += flag.name;
  }
  if (const uint32_t unnamed = flags & ~kKnownUpdateFlags) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(unnamed));
    if (!names.empty()) names += '|';
    names += hex;
  }
  return names;
}

}  // namespace core
