#include "os/sim/utilities/script.h"

#include "os/little_endian.h"

namespace utilities {
namespace {

using little_endian::Load16;
using little_endian::Load32;

// The size of the leaf at `at` in the leaves area, 0 when it is malformed.
uint32_t LeafSize(const uint8_t* leaves, uint32_t size, uint32_t at) {
  if (size - at < 2) return 0;
  const uint32_t nameLength = Load16(leaves + at);
  if (nameLength == 0 || size - at - 2 < nameLength + 4) return 0;
  if (leaves[at + 2 + nameLength - 1] != '\0') return 0;
  const uint32_t textLength = Load32(leaves + at + 2 + nameLength);
  const uint32_t used = 2 + nameLength + 4;
  if (size - at - used < textLength) return 0;
  return used + textLength;
}

}  // namespace

bool DecodeScript(const uint8_t* bytes, uint32_t size, Script* script) {
  if (size < kScriptHeaderSize || bytes[0] != 'O' || bytes[1] != 'R' || bytes[2] != 'V' ||
      bytes[3] != 'U' || Load32(bytes + 4) != kScriptVersion)
    return false;
  Script s;
  s.exitCode = static_cast<int32_t>(Load32(bytes + 8));
  s.fileErrorExitCode = static_cast<int32_t>(Load32(bytes + 12));
  s.windowMillis = Load32(bytes + 16);
  s.leavesNewSystemFile = Load32(bytes + 20) & kScriptLeavesNewSystemFile;
  s.newSystemFile.size = Load32(bytes + 24);
  s.newSystemFile.bcpSysWord = Load16(bytes + 28);
  s.newSystemFile.blocks = bytes[30];
  for (int i = 0; i < 4; ++i) s.newSystemFile.model[i] = static_cast<char>(bytes[32 + i]);
  for (int i = 0; i < 3; ++i) s.newSystemFile.part[i] = static_cast<char>(bytes[36 + i]);
  s.leafCount = Load32(bytes + 40);
  s.leaves = bytes + kScriptHeaderSize;
  // Every counted leaf must lie inside the record; the area ends after them.
  uint32_t at = 0;
  for (uint32_t n = 0; n < s.leafCount; ++n) {
    const uint32_t leaf = LeafSize(s.leaves, size - kScriptHeaderSize, at);
    if (leaf == 0) return false;
    at += leaf;
  }
  s.leavesSize = at;
  *script = s;
  return true;
}

bool NextLeaf(const Script& script, uint32_t* cursor, Leaf* leaf) {
  if (*cursor >= script.leavesSize) return false;
  const uint32_t size = LeafSize(script.leaves, script.leavesSize, *cursor);
  if (size == 0) return false;
  const uint8_t* at = script.leaves + *cursor;
  const uint32_t nameLength = Load16(at);
  leaf->name = reinterpret_cast<const char*>(at + 2);
  leaf->contentSize = Load32(at + 2 + nameLength);
  leaf->content = at + 2 + nameLength + 4;
  *cursor += size;
  return true;
}

}  // namespace utilities
