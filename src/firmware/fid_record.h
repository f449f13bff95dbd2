// The "$FID" record of an AMI image "bios.rom": the part number and the
// version that the AMI path compares with the installed firmware's.
#pragma once

#include <cstdint>

#include "firmware/image_reader.h"

namespace firmware {

inline constexpr uint32_t kFidPartLength = 3;
// A record counts only when both of its fields lie inside the file: the part
// number at byte 9, the 8-character decimal version at byte 52.
inline constexpr uint32_t kFidRecordSize = 60;

// The offset of the first "$FID" record with '?' at its byte 5 that lies
// whole in the `size` bytes, -1 when there is none.
int64_t FindFidRecord(const uint8_t* bytes, uint64_t size);
// The same search over an image of `size` bytes, read in blocks; -1 also
// when the image cannot be read.
int64_t FindFidRecord(ImageReader& image, uint64_t size);

// The record's 3 part-number bytes and a NUL into `part` (4 bytes).
void FidPartNumber(const uint8_t* record, char* part);
// The record's decimal version.
uint32_t FidVersion(const uint8_t* record);

}  // namespace firmware
