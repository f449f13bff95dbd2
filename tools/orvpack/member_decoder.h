// Decodes a member's stored bytes the way the updater's gzip reader does:
// data that begins with the gzip magic 1F 8B is one or more concatenated
// gzip members, each checked against its CRC-32 and length; anything else
// (fewer than two bytes included) is copied unchanged. Streams through fixed
// buffers, whatever the member's size.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host_files.h"

namespace orvpack {

struct DecodedMember {
  enum class Kind { kGzip, kStored, kEmpty } kind = Kind::kEmpty;
  uint64_t size = 0;  // bytes the member extracts to
  uint32_t crc = 0;   // CRC-32 of those bytes
  int gzipMembers = 0;
  // Bytes after the last gzip member that do not start another one: the
  // updater's reader drops them without a word.
  uint64_t trailingBytes = 0;
  std::string damage;  // why the updater would end with exit status 1; empty when sound
};

// Receives the decoded bytes; false stops the decoding (a failed write).
using ByteSink = std::function<bool(const uint8_t* data, size_t size)>;

// Reads exactly `size` bytes from the current position of `file`. False
// when reading the package or `sink` failed (`*ioError` says which was
// the package); damage is reported in `result->damage` with a true return.
bool DecodeMember(HostFile& file, uint32_t size, const ByteSink& sink, DecodedMember* result,
                  std::string* ioError);

}  // namespace orvpack
