// Extraction of the package's members into the current directory.
#pragma once

#include <cstdint>
#include <string>

#include "package/archive.h"

namespace package {

// Extracts every member of the archive at `offset` in `path`, one at a time,
// and reloads UpdateFlags from the package header (0 when the file
// cannot be opened or carries no archive). Results: ArchiveSuccess (also for
// a negative member count, which extracts nothing), ArchiveEmpty,
// ArchiveCreateFailed, ArchiveNotPacked, ArchiveExtractFailed (the file ends
// inside the archive, a member size is negative, or an output write falls
// short), ArchiveOpenFailed. A member with an unsafe name or damaged gzip
// data ends the process with exit status 1.
ArchiveResult ExtractAllMembers(const std::string& path, uint32_t offset);

// Extracts from the program's own package the first member whose stored name
// begins with `name`, ignoring ASCII letter case ("addmem.sys" finds
// "AddMem.sys.gz"). False when there is no package or no such member, or
// when the member cannot be extracted; UpdateFlags is not touched.
bool ExtractSingleMember(const char* name);

}  // namespace package
