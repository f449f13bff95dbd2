#include "firmware/fid_record.h"

#include <cstring>
#include <vector>

#include "firmware/text_field.h"

namespace firmware {
namespace {

constexpr uint32_t kPartAt = 9, kVersionAt = 52, kVersionLength = 8;
constexpr uint32_t kBlockSize = 0x10000;

}  // namespace

int64_t FindFidRecord(const uint8_t* bytes, uint64_t size) {
  for (uint64_t i = 0; i + kFidRecordSize <= size; ++i) {
    const uint8_t* at = bytes + i;
    if (at[0] == '$' && std::memcmp(at, "$FID", 4) == 0 && at[5] == '?')
      return static_cast<int64_t>(i);
  }
  return -1;
}

int64_t FindFidRecord(ImageReader& image, uint64_t size) {
  // Each block repeats the last kFidRecordSize - 1 bytes of the one before,
  // so that every position is tested once with its whole record in view.
  constexpr uint32_t kOverlap = kFidRecordSize - 1;
  std::vector<uint8_t> block(kBlockSize + kOverlap);
  for (uint64_t from = 0; from + kFidRecordSize <= size; from += kBlockSize) {
    const uint64_t left = size - from;
    const uint32_t length =
        static_cast<uint32_t>(left < block.size() ? left : static_cast<uint64_t>(block.size()));
    if (!image.ReadAt(from, block.data(), length)) return -1;
    const int64_t found = FindFidRecord(block.data(), length);
    if (found >= 0) return static_cast<int64_t>(from) + found;
  }
  return -1;
}

void FidPartNumber(const uint8_t* record, char* part) {
  std::memcpy(part, record + kPartAt, kFidPartLength);
  part[kFidPartLength] = '\0';
}

uint32_t FidVersion(const uint8_t* record) {
  return static_cast<uint32_t>(DecimalValue(record + kVersionAt, kVersionLength));
}

}  // namespace firmware
