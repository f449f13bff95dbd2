// The machine image a test driver starts from and the state file it leaves
// behind: a 32-byte header followed by the hardware model's own object,
// byte for byte. Both sides are built from the same model sources, and the
// header carries a fingerprint of the object's layout, so a file made by a
// build whose layout differs (another model version, another data model) is
// refused instead of misread. Freestanding: the drivers include it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "os/sim/machine/machine.h"

namespace machine_file {

constexpr uint32_t kHeaderSize = 32;
constexpr uint32_t kFormatVersion = 2;  // 2: memory windows
constexpr uint32_t kFileSize = kHeaderSize + sizeof(machine::Machine);

enum class Kind : uint32_t { kImage = 1, kState = 2 };
// The driver field of an image, which no driver wrote.
constexpr uint32_t kNoDriver = 0xFFFFFFFF;
// The driver field of the physical-drive driver's state; the memory-access
// drivers write their machine::Driver number.
constexpr uint32_t kDiskDriver = 4;

struct Header {
  Kind kind;
  uint32_t requestMicros;  // clock advance per request, as in the native run
  uint32_t driver;         // machine::Driver or kDiskDriver of a state file, kNoDriver in an image
};

enum class Fault : uint32_t { kNone, kSize, kMagic, kVersion, kKind, kLayout, kDriver };

// A fingerprint of machine::Machine's layout in this build, taken from any
// object of it (only member addresses are used, never contents).
uint32_t LayoutFingerprint(const machine::Machine& any);

void WriteHeader(const machine::Machine& any, const Header& header, uint8_t out[kHeaderSize]);
// Checks a header against the file's size and the expected kind; fills
// `header` when it passes.
Fault ReadHeader(const machine::Machine& any, const uint8_t in[kHeaderSize], uint64_t fileSize,
                 Kind expected, Header* header);
const char* Describe(Fault fault);

}  // namespace machine_file
