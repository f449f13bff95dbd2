#include "member_image.h"

#include <algorithm>
#include <cstring>

namespace orvpack {
namespace {

// Each decoded piece lands behind the last kKeep bytes, so that reads that
// step back a little (a block search's overlap) need no new start.
constexpr size_t kKeep = 0x10000, kPiece = 0x10000;

}  // namespace

MemberImage::MemberImage(HostFile& file, int64_t position, uint32_t storedSize, uint64_t size)
    : stream_(file, position, storedSize), size_(size), kept_(kKeep + kPiece) {}

bool MemberImage::ReadAt(uint64_t at, uint8_t* to, uint32_t size) {
  if (at > size_ || size > size_ - at) return false;
  if (at < keptStart_) {
    stream_.Restart();
    keptStart_ = 0;
    keptLength_ = 0;
  }
  const uint64_t end = at + size;
  while (at < end) {
    const uint64_t keptEnd = keptStart_ + keptLength_;
    if (at < keptEnd) {
      const size_t count = static_cast<size_t>(std::min(end, keptEnd) - at);
      std::memcpy(to, kept_.data() + (at - keptStart_), count);
      to += count;
      at += count;
      continue;
    }
    if (keptLength_ > kKeep) {
      const size_t dropped = keptLength_ - kKeep;
      std::memmove(kept_.data(), kept_.data() + dropped, kKeep);
      keptStart_ += dropped;
      keptLength_ = kKeep;
    }
    size_t got = 0;
    if (!stream_.Read(kept_.data() + keptLength_, kept_.size() - keptLength_, &got) || got == 0)
      return false;
    keptLength_ += got;
  }
  return true;
}

}  // namespace orvpack
