#include "hw/memory_search.h"

#include <cstring>
#include <memory>
#include <new>

#include "hw/device_requests.h"

namespace hw {
namespace {

// A zero byte in memory ends the comparison as a mismatch; the signatures
// hold none, so this is a plain comparison of n bytes.
bool MatchesAt(const uint8_t* at, const char* text, size_t n) {
  return std::memcmp(at, text, n) == 0;
}

}  // namespace

uint64_t FindSignature(uint64_t address, uint32_t length, const char* signature, uint32_t stride) {
  const size_t n = std::strlen(signature);
  // A range shorter than the signature has no place for it (offset 0 would
  // compare past the end of the buffer); a longer one than a read may carry
  // is not read.
  if (n == 0 || length < n || length > kMaxPhysicalTransfer) return 0;
  if (stride == 0) stride = 1;
  std::unique_ptr<uint8_t[]> work(new (std::nothrow) uint8_t[length]());
  if (!work) return 0;
  ReadPhysical(PhysicalRange{static_cast<uint32_t>(address), static_cast<uint32_t>(address >> 32),
                             length, work.get()});
  // Offset 0 always; later offsets only while below length - n.
  for (uint64_t offset = 0; offset == 0 || offset < length - n; offset += stride) {
    if (MatchesAt(work.get() + offset, signature, n)) return address + offset;
  }
  return 0;
}

int64_t FindInBuffer(const uint8_t* buffer, const char* text, uint32_t size) {
  const size_t n = std::strlen(text);
  if (size <= n) return -1;
  for (uint32_t offset = 0; offset < size - n; ++offset) {
    if (MatchesAt(buffer + offset, text, n)) return offset;
  }
  return -1;
}

}  // namespace hw
