#include "package_catalog.h"

#include "os/ascii_case.h"
#include "package/layout.h"

namespace orvpack {

void PackageCatalog::Add(const ArchiveMember& member) {
  if (member.entry.nameFault != package::NameFault::kNone) return;
  CatalogMember m;
  m.storedName = member.entry.name;
  m.name = std::string(package::ExtractedName(member.entry.name));
  m.dataPosition = member.entry.position + static_cast<int64_t>(package::kRecordHeaderSize);
  m.storedSize = static_cast<uint32_t>(member.entry.size);
  m.decoded = member.decoded;
  members_.push_back(std::move(m));
}

const CatalogMember* PackageCatalog::File(std::string_view name) const {
  for (auto m = members_.rbegin(); m != members_.rend(); ++m)
    if (ascii_case::Same(m->name, name)) return &*m;
  return nullptr;
}

std::vector<const CatalogMember*> PackageCatalog::FilesEndingIn(std::string_view suffix) const {
  std::vector<const CatalogMember*> files;
  for (const CatalogMember& m : members_) {
    if (!ascii_case::EndsWith(m.name, suffix)) continue;
    if (File(m.name) == &m) files.push_back(&m);
  }
  return files;
}

const CatalogMember* PackageCatalog::FirstStartingWith(std::string_view request) const {
  for (const CatalogMember& m : members_)
    if (ascii_case::StartsWith(m.storedName, request)) return &m;
  return nullptr;
}

}  // namespace orvpack
