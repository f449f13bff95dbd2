// The flags word: every bit by name, and a warning where the word does
// something its maker may not expect.
#include "check_parts.h"
#include "core/update_flags.h"
#include "flags_word.h"

namespace orvpack {
namespace {

// Bits that no step of the update reads.
constexpr uint32_t kInert[] = {core::SkipCheckPart, core::SkipCheckModel,  core::BiosFlagB,
                               core::DmiMode2,      core::SkipUpdateFiles, core::SkipCheckDate,
                               core::VistaUpgrade};

}  // namespace

void CheckFlagsWord(const CheckContext& c) {
  const uint32_t flags = c.flags;
  c.report.Info(kEveryMachine, "flags word " + DescribeFlagsWord(flags));
  if (const uint32_t unnamed = flags & ~core::kKnownUpdateFlags)
    c.report.Warning(kEveryMachine, "the bits " + core::UpdateFlagNames(unnamed) +
                                        " of the flags word have no meaning");
  for (const uint32_t bit : kInert)
    if (flags & bit)
      c.report.Warning(kEveryMachine, core::UpdateFlagNames(bit) +
                                          " has no effect: no step of the update reads it");
  if (flags & core::ReadBios)
    c.report.Warning(kPhoenix,
                     "ReadBios: every run dumps the installed firmware into \"ReadRomFile.bin\" "
                     "and updates nothing");
  if (flags & core::SkipUpdateMicom)
    c.report.Warning(kEveryMachine,
                     "SkipUpdateMicom also ends every run without \"Update Complete\" and without "
                     "the power-off, except on machines whose controller is vendor 'M'");
  if (flags == core::DmiOnly)
    c.report.Warning(
        kPhoenix,
        "DmiOnly limits the flash to one area only while the run's flags are DmiOnly alone: on a "
        "machine whose controller is vendor 'M' (SkipUpdateMicom) or whose Bios Flag letter is "
        "'B' (BiosFlagB), or in a run started with an option that sets a bit, the whole image is "
        "flashed");
  else if (flags & core::DmiOnly)
    c.report.Warning(kPhoenix, "DmiOnly with " + core::UpdateFlagNames(flags & ~core::DmiOnly) +
                                   ": the flash-area patch excludes areas only for DmiOnly "
                                   "alone, so no area is excluded and the whole image is flashed");
}

}  // namespace orvpack
