// The file sets of the outside utilities in the work directory: staging
// the Phoenix tools under their working names, and every deletion. Every
// deletion ignores failures: a missing file is normal.
#pragma once

namespace firmware {

// Renames the Phoenix set of `width` (32 or 64) to the working names and
// deletes the set of the other width.
void StagePhoenixTools(int width);

void DeletePhoenixSet32();
void DeletePhoenixSet64();
void DeletePhoenixWorkingSet();
void DeleteAmiSet();
void DeleteMicomTool();
void DeleteLanguageModules();
// The names of both file lists, up to the first empty entry, except
// "bios.wph" and "kbc.bin" (any letter case), then the runtime files.
void DeleteListedFiles();
// Every staged tool file, the driver copy, the language modules and the
// listed files.
void RemoveStagedTools();

}  // namespace firmware
