// The parts of orvpack check after the archive check: each looks at the
// package as the updater will meet it and tells the report what it found.
#pragma once

#include <cstdint>
#include <string>

#include "check_report.h"
#include "package_catalog.h"

namespace orvpack {

struct CheckContext {
  HostFile& file;
  uint32_t flags;  // the package flags word
  const PackageCatalog& catalog;
  CheckReport& report;
  // The firmware paths the package serves: it carries their image.
  bool phoenix = false, ami = false;
};

// The flags word's bits by name, and the combinations that do more or less
// than their names suggest.
void CheckFlagsWord(const CheckContext& c);
// The images of each firmware path, the flash tool sets of both widths,
// the MICOM files, the legacy driver.
void CheckFirmwarePaths(const CheckContext& c);
// The language libraries of each firmware path the package serves.
void CheckLanguageLibraries(const CheckContext& c);

inline std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// The member's bytes as the updater's readers see them.
inline MemberImage OpenMember(const CheckContext& c, const CatalogMember& m) {
  return MemberImage(c.file, m.dataPosition, m.storedSize, m.decoded.size);
}

}  // namespace orvpack
