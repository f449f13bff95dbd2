// The package archive appended to the updater's executable: locating it and
// reading its header. Member extraction is in package/extract.h.
#pragma once

#include <cstdint>
#include <string>

namespace package {

// Results of the archive operations. Callers test for zero and map any other
// value to a result code of their own; the texts are for diagnostics.
using ArchiveResult = int32_t;
inline constexpr ArchiveResult ArchiveSuccess = 0;
inline constexpr ArchiveResult ArchiveEmpty = 1;
inline constexpr ArchiveResult ArchivePathError = 2;
inline constexpr ArchiveResult ArchiveCreateFailed = 3;
inline constexpr ArchiveResult ArchiveNotPacked = 4;
inline constexpr ArchiveResult ArchiveExtractFailed = 5;
inline constexpr ArchiveResult ArchiveOpenFailed = 6;

const char* ArchiveResultText(ArchiveResult result);

// Reads the executable's DOS header and hands back the archive offset stored
// at byte 40 (0: no archive; also for a file too short to hold the word).
// ArchiveOpenFailed when the file cannot be opened, else ArchiveSuccess.
ArchiveResult ReadArchiveOffset(const std::string& path, uint32_t* offset);

// Checks the magic at `offset` and loads the package flags word into
// UpdateFlags. ArchiveNotPacked when the magic is missing (an
// offset of 0 reads "MZ"), ArchiveExtractFailed when the file ends inside
// the flags word (UpdateFlags is then left alone), ArchiveOpenFailed when the
// file cannot be opened.
ArchiveResult ProbePackageHeader(const std::string& path, uint32_t offset);

}  // namespace package
