// What a profile tells one outside utility to do, as a byte record: the
// simulated notebook and the harness that prepares the substitute programs
// under Wine encode it from the same profile entry (docs/profile.md), and
// both routes decode it here, so the utilities behave alike in both.
//
// Layout, little-endian:
//   0  "ORVU"           16 u32 windowMillis     40 u32 leaf count
//   4  u32 version 1    20 u32 flags (bit 0: newSys.bin)
//   8  i32 exitCode     24 newSys.bin: u32 size, u16 BCPSYS word, u8 blocks,
//  12  i32 fileErrorExitCode  u8 0, 4 model characters, 3 part characters, u8 0
//  44  leaves: u16 name length (terminator included), the name, u32 text
//      length, the text; as many as the count says
#pragma once

#include <stdint.h>

namespace utilities {

inline constexpr uint32_t kScriptVersion = 1;
inline constexpr uint32_t kScriptHeaderSize = 44;
inline constexpr uint32_t kScriptLeavesNewSystemFile = 1;

// "newSys.bin", the image the Phoenix flash tool leaves after a refusal.
struct NewSystemFile {
  enum Block : uint8_t { kDiag = 1, kDevel = 2, kBcpDmi = 4, kBcpSys = 8, kAllBlocks = 15 };
  uint32_t size = 0x100000;
  uint16_t bcpSysWord = 0;  // its top 4 bits name the flash-area entry a DMI-only run keeps
  uint8_t blocks = kAllBlocks;
  char model[4] = {};  // the new image's model number
  char part[3] = {};   // its part number
};

struct Script {
  int32_t exitCode = 0;           // when the file it is given checks out
  int32_t fileErrorExitCode = 1;  // when it does not
  uint32_t windowMillis = 600;    // how long the flash tool shows its window
  bool leavesNewSystemFile = false;
  NewSystemFile newSystemFile;
  // Files left in the working directory, name to content, still encoded.
  const uint8_t* leaves = nullptr;
  uint32_t leavesSize = 0;
  uint32_t leafCount = 0;
};

// False when the record is not one (magic, version, a leaf that runs past
// the end); `script` keeps its defaults then.
bool DecodeScript(const uint8_t* bytes, uint32_t size, Script* script);

struct Leaf {
  const char* name;  // NUL-terminated
  const uint8_t* content;
  uint32_t contentSize;
};
// The leaf at `*cursor` (start with 0), advancing it; false after the last.
bool NextLeaf(const Script& script, uint32_t* cursor, Leaf* leaf);

}  // namespace utilities
