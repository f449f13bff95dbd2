#include "os/sim/string_tables.h"

#include <cstddef>

namespace sim {
namespace {

struct Entry {
  uint32_t id;
  const char* text;
};

constexpr Entry kExecutable[] = {
#define TEXT(id, text) {id, text},
#define TEXT2(id, exe, lib) {id, exe},
#include "strings.def"
#undef TEXT
#undef TEXT2
};

constexpr Entry kEnglishLibrary[] = {
#define TEXT(id, text) {id, text},
#define TEXT2(id, exe, lib) {id, lib},
#include "strings.def"
#undef TEXT
#undef TEXT2
};

template <std::size_t N>
const char* Find(const Entry (&table)[N], uint32_t id) {
  for (const Entry& e : table)
    if (e.id == id) return e.text;
  return nullptr;
}

}  // namespace

const char* ExecutableText(uint32_t id) {
  return Find(kExecutable, id);
}
const char* EnglishLibraryText(uint32_t id) {
  return Find(kEnglishLibrary, id);
}

}  // namespace sim
