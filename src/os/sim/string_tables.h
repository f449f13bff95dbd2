// The native build's copies of the string tables that the Windows build
// compiles into resources, made from the same source (res/strings.def).
#pragma once

#include <cstdint>

namespace sim {

// Null when the table has no such text.
const char* ExecutableText(uint32_t id);
const char* EnglishLibraryText(uint32_t id);

}  // namespace sim
