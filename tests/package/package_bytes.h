// Packages and gzip files built byte by byte for the tests, so that every
// field (and every fault) is under the test's control.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/sim/host_files.h"

namespace testing_package {

std::string Le32(uint32_t value);

// Optional gzip header fields (RFC 1952) of a hand-made member.
struct GzipHeader {
  uint32_t mtime = 0;
  uint8_t extraFlags = 0;
  uint8_t os = 11;
  std::string extra;    // FEXTRA when not empty
  std::string name;     // FNAME when not empty
  std::string comment;  // FCOMMENT when not empty
  bool headerCrc = false;
};

// A complete gzip file of `data`: header, raw deflate stream, CRC-32, length.
std::string Gzip(const std::string& data, const GzipHeader& header = {});

// The gzip file the `gzip` command makes of `data` stored under `fileName`
// (with its name and time in the header). Empty when the command fails.
std::string GzipCommand(const std::string& data, const std::string& fileName);

// One member record: the name NUL-padded to 260 bytes (or cut to exactly 260
// bytes without a NUL), the size (the data's length unless given), the data.
std::string Record(const std::string& name, const std::string& data);
std::string RecordWithSize(const std::string& name, int32_t size, const std::string& data);

std::string Archive(uint32_t flags, int32_t count, const std::vector<std::string>& records);
inline std::string Archive(uint32_t flags, const std::vector<std::string>& records) {
  return Archive(flags, static_cast<int32_t>(records.size()), records);
}

// A 1024-byte stand-in executable ("MZ", the offset word at byte 40) with
// `archive` appended. `offsetWord` overrides the stored offset when given.
std::string Package(const std::string& archive);
std::string PackageWithOffset(const std::string& archive, uint32_t offsetWord);
inline constexpr uint32_t kExecutableSize = 1024;

using sim::ScratchFolder;

using sim::ReadHostFile;
using sim::WriteHostFile;

}  // namespace testing_package
