// The file sets of the outside utilities in the work directory, and their
// deletion. Every deletion ignores failures: a missing file is normal.
#pragma once

namespace firmware {

void DeletePhoenixSet32();
void DeletePhoenixSet64();
void DeletePhoenixWorkingSet();
void DeleteAmiSet();
void DeleteMicomTool();
void DeleteLanguageModules();

}  // namespace firmware
