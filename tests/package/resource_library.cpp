#include "package/resource_library.h"

namespace testing_package {
namespace {

constexpr uint32_t kSectionAddress = 0x1000, kSectionPosition = 0x200;
constexpr uint32_t kStringType = 6, kDialogType = 5, kBitmapType = 2;

void Put16(std::string& to, size_t at, uint32_t value) {
  to[at] = static_cast<char>(value);
  to[at + 1] = static_cast<char>(value >> 8);
}
void Put32(std::string& to, size_t at, uint32_t value) {
  Put16(to, at, value & 0xFFFF);
  Put16(to, at + 2, value >> 16);
}
void Add16(std::string& to, uint32_t value) {
  to.append(2, '\0');
  Put16(to, to.size() - 2, value);
}
void Add32(std::string& to, uint32_t value) {
  to.append(4, '\0');
  Put32(to, to.size() - 4, value);
}
void AddText(std::string& to, const std::u16string& text) {
  for (const char16_t unit : text) Add16(to, unit);
  Add16(to, 0);
}

// The resource section: the three directory levels, the data entries, the data.
std::string ResourceSection(const std::vector<ResourceBytes>& resources) {
  std::map<uint32_t, std::map<uint32_t, std::map<uint16_t, const std::string*>>> tree;
  for (const ResourceBytes& r : resources) tree[r.type][r.name][r.language] = &r.data;
  auto directory = [](size_t entries) { return 16 + 8 * entries; };
  size_t at = directory(tree.size()), leaves = 0;
  std::vector<size_t> typeAt, nameAt;
  for (const auto& [type, names] : tree) {
    typeAt.push_back(at);
    at += directory(names.size());
  }
  for (const auto& [type, names] : tree) {
    for (const auto& [name, languages] : names) {
      nameAt.push_back(at);
      at += directory(languages.size());
      leaves += languages.size();
    }
  }
  const size_t entriesAt = at;
  std::string section(entriesAt + 16 * leaves, '\0');
  auto header = [&](size_t where, size_t entries) { Put16(section, where + 14, entries); };
  header(0, tree.size());
  size_t t = 0, n = 0, leaf = 0;
  for (const auto& [type, names] : tree) {
    Put32(section, 16 + 8 * t, type);
    Put32(section, 16 + 8 * t + 4, 0x80000000u | typeAt[t]);
    header(typeAt[t], names.size());
    size_t i = 0;
    for (const auto& [name, languages] : names) {
      Put32(section, typeAt[t] + 16 + 8 * i, name);
      Put32(section, typeAt[t] + 16 + 8 * i + 4, 0x80000000u | nameAt[n]);
      header(nameAt[n], languages.size());
      size_t j = 0;
      for (const auto& [language, data] : languages) {
        const size_t entry = entriesAt + 16 * leaf;
        Put32(section, nameAt[n] + 16 + 8 * j, language);
        Put32(section, nameAt[n] + 16 + 8 * j + 4, entry);
        section.resize((section.size() + 3) / 4 * 4, '\0');
        Put32(section, entry, kSectionAddress + section.size());
        Put32(section, entry + 4, data->size());
        section += *data;
        ++j, ++leaf;
      }
      ++i, ++n;
    }
    ++t;
  }
  return section;
}

std::string StringBlock(const std::map<uint32_t, std::u16string>& texts, uint32_t block) {
  std::string data;
  for (uint32_t id = (block - 1) * 16; id < block * 16; ++id) {
    const auto text = texts.find(id);
    const std::u16string units = text == texts.end() ? u"" : text->second;
    Add16(data, units.size());
    for (const char16_t unit : units) Add16(data, unit);
  }
  return data;
}

}  // namespace

std::string ResourceLibrary(const std::vector<ResourceBytes>& resources) {
  const std::string section = ResourceSection(resources);
  std::string file(kSectionPosition, '\0');
  file.replace(0, 2, "MZ");
  Put32(file, 0x3C, 0x40);
  file.replace(0x40, 4, std::string("PE\0\0", 4));
  Put16(file, 0x44, 0x14C);   // i386
  Put16(file, 0x46, 1);       // one section
  Put16(file, 0x54, 0xE0);    // optional header size
  Put16(file, 0x56, 0x2102);  // a 32-bit library
  Put16(file, 0x58, 0x10B);   // PE32
  Put32(file, 0x58 + 92, 16);
  Put32(file, 0x58 + 96 + 2 * 8, kSectionAddress);  // the resource directory
  Put32(file, 0x58 + 96 + 2 * 8 + 4, section.size());
  const size_t header = 0x58 + 0xE0;
  file.replace(header, 5, ".rsrc");
  Put32(file, header + 8, section.size());
  Put32(file, header + 12, kSectionAddress);
  Put32(file, header + 16, section.size());
  Put32(file, header + 20, kSectionPosition);
  return file + section;
}

std::string DialogTemplate(const std::vector<uint32_t>& bitmaps) {
  std::string t;
  Add16(t, 1);
  Add16(t, 0xFFFF);
  Add32(t, 0);
  Add32(t, 0);
  Add32(t, 0x80000040);  // WS_POPUP | DS_SETFONT
  Add16(t, 1 + bitmaps.size());
  for (int i = 0; i < 4; ++i) Add16(t, 10);
  Add16(t, 0);  // no menu
  Add16(t, 0);  // the dialog class
  AddText(t, u"");
  Add16(t, 8);
  Add16(t, 400);
  t += std::string("\0\1", 2);
  AddText(t, u"Tahoma");
  auto item = [&](uint32_t style, const std::string& title) {
    t.resize((t.size() + 3) / 4 * 4, '\0');
    Add32(t, 0);
    Add32(t, 0);
    Add32(t, 0x50000000 | style);  // WS_CHILD | WS_VISIBLE
    for (int i = 0; i < 4; ++i) Add16(t, 5);
    Add32(t, 0xFFFF);
    Add16(t, 0xFFFF);
    Add16(t, 0x0082);  // Static
    t += title;
    Add16(t, 0);  // no creation data
  };
  std::string text;
  AddText(text, u"Flash Micom");  // 54 bytes: the next item starts 2 bytes on
  item(0, text);
  for (size_t i = 0; i < bitmaps.size(); ++i) {
    std::string title;
    if (i == 0) {
      std::u16string name = u"#";
      for (const char c : std::to_string(bitmaps[i])) name += static_cast<char16_t>(c);
      AddText(title, name);
    } else {
      Add16(title, 0xFFFF);
      Add16(title, bitmaps[i]);
    }
    item(0x0E, title);  // SS_BITMAP
  }
  return t;
}

LibraryContents::LibraryContents() {
#define TEXT(id, text) texts[id] = u"" text;
#define TEXT2(id, exe, library) texts[id] = u"" library;
#include "strings.def"
#undef TEXT
#undef TEXT2
}

std::string LanguageLibrary(const LibraryContents& contents) {
  std::vector<ResourceBytes> resources;
  for (uint32_t block = 1; block <= 4; ++block)
    resources.push_back({kStringType, block, 1033, StringBlock(contents.texts, block)});
  for (const uint32_t id : contents.dialogs)
    resources.push_back(
        {kDialogType, id, 1033,
         DialogTemplate(id == 117 ? std::vector<uint32_t>{115, 113} : std::vector<uint32_t>{})});
  for (const uint32_t id : contents.bitmaps)
    resources.push_back({kBitmapType, id, 1033, "BM bitmap " + std::to_string(id)});
  return ResourceLibrary(resources);
}

}  // namespace testing_package
