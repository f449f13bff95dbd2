// The string tables: every text of strings.def arrives byte for byte, in this
// program's own table and in the built OrvantaUpdate.exe.
#include <windows.h>

#include <cstring>

#include "seam_test.h"

namespace {

struct Text {
  uint32_t id;
  const char* text;
};

// The executable's wording, as the C compiler reads the source.
const Text kExecutableTexts[] = {
#undef TEXT  // the one of <windows.h>
#define TEXT(id, text) {id, text},
#define TEXT2(id, exe, lib) {id, exe},
#include "strings.def"
#undef TEXT
#undef TEXT2
};

void CheckTable(os::ModuleRef module, const char* which) {
  os::UserInterface& ui = *os::Os().ui;
  int matching = 0;
  for (const Text& expected : kExecutableTexts) {
    char buffer[1024];
    const int length = ui.LoadText(module, expected.id, buffer, sizeof buffer);
    const bool same = length == static_cast<int>(std::strlen(expected.text)) &&
                      std::strcmp(buffer, expected.text) == 0;
    if (same)
      ++matching;
    else
      check::Record(false, __FILE__, __LINE__, which,
                    "text " + std::to_string(expected.id) + " is " + check::Describe(buffer));
  }
  CHECK_EQ(matching, static_cast<int>(sizeof kExecutableTexts / sizeof kExecutableTexts[0]));
}

}  // namespace

TEST_CASE(strings_own_table_and_truncation) {
  os::UserInterface& ui = *os::Os().ui;
  CHECK(ui.OwnModule() != 0);
  CheckTable(0, "own table");
  CheckTable(ui.OwnModule(), "own module");

  // Cut to the buffer, terminated, and nothing written past it.
  char buffer[12];
  std::memset(buffer, '#', sizeof buffer);
  CHECK_EQ(ui.LoadText(0, 16, buffer, 10), 9);
  CHECK_EQ(std::string(buffer), std::string(" - This p"));
  CHECK(buffer[10] == '#' && buffer[11] == '#');

  std::memset(buffer, '#', sizeof buffer);
  CHECK_EQ(ui.LoadText(0, 6, buffer, sizeof buffer), 0);  // no text 6
  CHECK_EQ(buffer[0], '\0');
  CHECK_EQ(ui.LoadText(0, 2, buffer, 0), 0);
  CHECK_EQ(buffer[0], '\0');
}

TEST_CASE(strings_updater_table) {
  const std::string& path = seam_test::Given().updaterPath;
  CHECK(!path.empty());
  if (path.empty()) return;
  HMODULE updater = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  CHECK(updater != nullptr);
  if (!updater) return;
  CheckTable(reinterpret_cast<os::ModuleRef>(updater), "OrvantaUpdate.exe");
  FreeLibrary(updater);
}
