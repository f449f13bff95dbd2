// The language libraries: each found as the start-up extraction finds it,
// readable as a resource-only library, with every text the updater loads
// (formatted with the arguments it passes) and the dialog templates it
// opens.
#include <map>
#include <utility>

#include "check_parts.h"
#include "core/format.h"
#include "core/texts.h"
#include "core/update_flags.h"
#include "dialog_template.h"
#include "language_libraries.h"
#include "os/ascii_case.h"
#include "pe_resources.h"

namespace orvpack {
namespace {

constexpr const char* kUnloadable =
    "the updater shows \"Fail To Load Dll\" and then its own English texts";
// Larger than any dialog template; a resource beyond it is not read.
constexpr uint32_t kLargestTemplate = 0x10000;

struct Library {
  const CheckContext& c;
  std::string name;   // "ConResFr.dll"
  std::string scope;  // "Phoenix firmware, French systems"
  bool doubleByte;
  MemberImage image;
  std::vector<Resource> resources;

  std::vector<const Resource*> Find(uint32_t type, uint32_t id) const {
    std::vector<const Resource*> found;
    for (const Resource& r : resources)
      if (r.type == type && r.name == id) found.push_back(&r);
    return found;
  }
  void Error(const std::string& text) const { c.report.Error(scope, Quoted(name) + text); }
  void Warning(const std::string& text) const { c.report.Warning(scope, Quoted(name) + text); }
};

std::string Arguments(const std::string& kinds) {
  if (kinds.empty()) return "no argument";
  std::string text;
  for (const char kind : kinds)
    text += (text.empty() ? "" : ", ") + std::string(kind == 's' ? "string" : "integer");
  return std::to_string(kinds.size()) + (kinds.size() == 1 ? " argument (" : " arguments (") +
         text + ")";
}

// One text as LoadStringA gives it to the updater: the ANSI bytes (a
// character beyond ASCII takes one byte, or two in the double-byte code
// pages), up to the first NUL, cut to fit the buffer; then formatted with
// the arguments the updater passes.
void CheckText(const Library& lib, const core::TextUse& use, const std::u16string& text,
               const std::string& where) {
  std::string loaded;
  for (const char16_t unit : text) {
    if (unit == 0) break;
    if (unit < 0x80)
      loaded += static_cast<char>(unit);
    else
      loaded.append(lib.doubleByte ? 2 : 1, '?');
  }
  const std::string label = ": text " + std::to_string(use.id) + " (" + use.name + ")" + where;
  const size_t room = static_cast<size_t>(use.bufferSize - 1);
  if (loaded.size() > room) {
    lib.Warning(label + " takes " + std::to_string(loaded.size()) +
                " bytes; the updater loads at most " + std::to_string(room) + ", so it is cut");
    loaded.resize(room);
  }
  std::string kinds;
  const bool formats = core::ConversionKinds(loaded, &kinds);
  if (formats && kinds == use.arguments) return;
  const std::string wanted = use.arguments;
  if (wanted.empty() && !formats && loaded.find("%%") == std::string::npos) {
    lib.Warning(label +
                " has a '%' that starts no conversion: the updater shows the text as "
                "written (write \"%%\" for a percent sign)");
    return;
  }
  lib.Error(label +
            (formats ? " takes " + Arguments(kinds)
                     : " has a '%' that starts no conversion the updater formats") +
            " where the updater passes " + Arguments(wanted) +
            ": the updater shows the text as written, " +
            (wanted.empty() ? "'%' sequences and all" : "without its values"));
}

void CheckTexts(Library& lib) {
  std::map<std::pair<uint32_t, uint16_t>, std::vector<std::u16string>> blocks;
  for (const Resource& r : lib.resources) {
    if (r.type != kStringResource) continue;
    std::vector<std::u16string> strings;
    if (ReadStringBlock(lib.image, r, &strings))
      blocks[{r.name, r.language}] = std::move(strings);
    else
      lib.Error(": string block " + std::to_string(r.name) + " (language " +
                std::to_string(r.language) + ") ends inside a string: its texts are not read");
  }
  std::string missing;
  for (const core::TextUse& use : core::kTextUses) {
    const uint32_t block = use.id / 16 + 1, index = use.id % 16;
    int languages = 0;
    for (const auto& [key, strings] : blocks) languages += key.first == block;
    bool found = languages > 0;
    for (const auto& [key, strings] : blocks) {
      if (key.first != block) continue;
      if (strings[index].empty()) {
        found = false;
        continue;
      }
      CheckText(lib, use, strings[index],
                languages > 1 ? " in language " + std::to_string(key.second) : "");
    }
    if (!found) missing += (missing.empty() ? "" : ", ") + std::to_string(use.id);
  }
  if (!missing.empty())
    lib.Error(": no text " + missing + ": the updater shows an empty text in its place");
}

// Template 117 (progress) always; 116 (DMI) where a DMI-only run opens it.
void CheckDialog(Library& lib, uint32_t id, const std::string& consequence) {
  const std::string label = ": dialog " + std::to_string(id);
  const std::vector<const Resource*> templates = lib.Find(kDialogResource, id);
  if (templates.empty()) lib.Error(label + " is missing: " + consequence);
  for (const Resource* r : templates) {
    std::vector<uint8_t> bytes(r->size <= kLargestTemplate ? r->size : 0);
    DialogTemplateFacts facts;
    std::string fault = "larger than 64 KiB";
    if (r->size > kLargestTemplate ||
        !lib.image.ReadAt(static_cast<uint64_t>(r->position), bytes.data(), r->size) ||
        !ReadDialogTemplate(bytes, &facts, &fault)) {
      lib.Error(label + " cannot be read (" + fault + "): " + consequence);
      continue;
    }
    for (const uint32_t bitmap : facts.bitmaps)
      if (lib.Find(kBitmapResource, bitmap).empty())
        lib.Warning(label + " shows bitmap " + std::to_string(bitmap) +
                    ", which is missing: the dialog shows nothing in its place");
  }
}

void CheckLibrary(const CheckContext& c, const CatalogMember& m, const std::string& scope,
                  bool doubleByte, bool amiFirmware) {
  Library lib{c, m.name, scope, doubleByte, OpenMember(c, m), {}};
  PeHeaders headers;
  std::vector<PeSection> sections;
  std::string fault;
  if (!ReadPeHeaders(lib.image, static_cast<int64_t>(m.decoded.size), &headers)) {
    lib.Error(" is no Windows library (no PE headers): " + std::string(kUnloadable));
    return;
  }
  if (!ReadPeSections(lib.image, headers, &sections) ||
      !ReadResources(lib.image, headers, sections, &lib.resources, &fault)) {
    lib.Error(": its resources cannot be read (" +
              (fault.empty() ? "a broken section table" : fault) + "): " + kUnloadable);
    return;
  }
  if (lib.resources.empty()) {
    lib.Error(" holds no resources: every text is empty and the progress dialog cannot open");
    return;
  }
  CheckTexts(lib);
  CheckDialog(lib, core::kProgressDialogTemplate,
              "the progress dialog cannot open, nothing is extracted and the run ends with "
              "\"Fail : Unpack\" (0x80000003)");
  if (!amiFirmware && (c.flags & core::DmiOnly))
    CheckDialog(lib, core::kDmiDialogTemplate,
                "the DMI dialog cannot open, so the DMI-only run cannot take the new values");
}

void CheckPath(const CheckContext& c, bool amiFirmware) {
  const std::string path = amiFirmware ? kAmi : kPhoenix;
  for (const LanguageLibrary& language : kLanguageLibraries) {
    const std::string name = LanguageLibraryName(language, amiFirmware);
    const std::string scope = path + ", " + language.systems;
    const bool english = std::string(language.code) == "En";
    const CatalogMember* m = c.catalog.FirstStartingWith(name);
    if (!m) {
      const std::string text = "no " + Quoted(name) + ": the updater shows its own English texts";
      english ? c.report.Warning(scope, text) : c.report.Error(scope, text);
    } else if (!ascii_case::Same(m->storedName, name + ".gz")) {
      c.report.Error(scope, "the start-up extraction of " + Quoted(name) +
                                " takes the first member whose name begins with it, " +
                                Quoted(m->storedName) + ": no " + Quoted(name) +
                                " is written, and " + kUnloadable);
    } else if (!m->damaged()) {
      CheckLibrary(c, *m, scope, language.doubleByte, amiFirmware);
    }
  }
}

}  // namespace

void CheckLanguageLibraries(const CheckContext& c) {
  if (c.phoenix) CheckPath(c, false);
  if (c.ami) CheckPath(c, true);
}

}  // namespace orvpack
