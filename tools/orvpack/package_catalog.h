// The members of a package as the updater meets them: the files the
// extraction of the whole package leaves in the work directory (the last
// member of a name replaces the earlier ones), and the member the start-up
// extraction of a single file takes (the first whose stored name begins
// with the name asked for). Names are compared without regard to ASCII
// letter case, as the updater and Windows compare them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "archive_check.h"
#include "member_image.h"

namespace orvpack {

struct CatalogMember {
  std::string storedName;
  std::string name;  // extracted
  int64_t dataPosition = 0;
  uint32_t storedSize = 0;
  DecodedMember decoded;

  bool damaged() const { return !decoded.damage.empty(); }
};

class PackageCatalog {
 public:
  // Members whose names the updater refuses are left out: the package
  // cannot be extracted at all, which the archive check reports.
  void Add(const ArchiveMember& member);

  const CatalogMember* File(std::string_view name) const;
  // The work directory's files whose names end in `suffix`, in archive order.
  std::vector<const CatalogMember*> FilesEndingIn(std::string_view suffix) const;
  const CatalogMember* FirstStartingWith(std::string_view request) const;

 private:
  std::vector<CatalogMember> members_;
};

}  // namespace orvpack
