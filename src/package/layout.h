// Byte layout of the package archive that is appended to the updater's own
// executable. All integers are little-endian.
//
//   executable: "MZ" ... bytes 40..43 = file offset of the archive (0: none)
//   archive:    "LPCK", flags word, signed member count,
//               then per member: 260-byte NUL-padded name, signed 32-bit
//               size, `size` bytes of data (a gzip file), no padding.
#pragma once

#include <cstddef>
#include <cstdint>

#include "os/little_endian.h"

namespace package {

inline constexpr size_t kDosHeaderSize = 64;
inline constexpr size_t kArchiveOffsetField = 40;  // the DOS header's e_res2 words

inline constexpr uint8_t kMagic[4] = {'L', 'P', 'C', 'K'};
inline constexpr size_t kHeaderSize = 12;  // magic, flags word, member count

inline constexpr size_t kNameSize = 260;
inline constexpr size_t kRecordHeaderSize = kNameSize + 4;  // name, then the data size

// Positions are signed 32-bit file offsets: nothing of a package may lie at
// or beyond 2 GiB.
inline constexpr int64_t kMaxPosition = 0x7FFFFFFF;

using little_endian::Load32;
using little_endian::Store32;

inline bool HasMagic(const uint8_t* bytes) {
  return bytes[0] == kMagic[0] && bytes[1] == kMagic[1] && bytes[2] == kMagic[2] &&
         bytes[3] == kMagic[3];
}

}  // namespace package
