// Resource-only Windows libraries built byte by byte (a PE32 file with one
// section holding a resource directory), so that a test controls every text,
// dialog template and bitmap a language library carries.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testing_package {

struct ResourceBytes {
  uint32_t type, name;
  uint16_t language;
  std::string data;
};

std::string ResourceLibrary(const std::vector<ResourceBytes>& resources);

// An extended dialog template with a static text and one static bitmap per
// entry of `bitmaps` (the first named "#N", the others by ordinal).
std::string DialogTemplate(const std::vector<uint32_t>& bitmaps);

// What a language library carries for the updater; by default what the
// English library carries: the library wording of res/strings.def, dialogs
// 116 and 117 (117 showing bitmaps 115 and 113), and those bitmaps.
struct LibraryContents {
  std::map<uint32_t, std::u16string> texts;
  std::vector<uint32_t> dialogs = {116, 117};
  std::vector<uint32_t> bitmaps = {113, 115};
  LibraryContents();
};
std::string LanguageLibrary(const LibraryContents& contents = {});

}  // namespace testing_package
