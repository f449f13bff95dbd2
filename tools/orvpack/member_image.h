// A member's decoded bytes by position, for the readers of images and
// libraries: decoded as they are asked for, through fixed buffers, and from
// the start again when a read goes back past the bytes kept.
#pragma once

#include <cstdint>
#include <vector>

#include "firmware/image_reader.h"
#include "member_decoder.h"

namespace orvpack {

class MemberImage final : public firmware::ImageReader {
 public:
  // The `storedSize` bytes at `position` of `file`, which decode to `size`.
  MemberImage(HostFile& file, int64_t position, uint32_t storedSize, uint64_t size);

  bool ReadAt(uint64_t at, uint8_t* to, uint32_t size) override;
  uint64_t size() const { return size_; }

 private:
  MemberStream stream_;
  const uint64_t size_;
  std::vector<uint8_t> kept_;  // decoded bytes from keptStart_ on
  uint64_t keptStart_ = 0;
  size_t keptLength_ = 0;
};

}  // namespace orvpack
