// Searches for firmware signatures in physical memory and in buffers.
#pragma once

#include <cstdint>

namespace hw {

// The physical address of the first match of `signature` at offsets 0,
// stride, 2 * stride ... of the range, or 0 when there is none (or the work
// buffer cannot be had). Reads the range once, in one request.
uint64_t FindSignature(uint64_t address, uint32_t length, const char* signature, uint32_t stride);

// The offset of the first occurrence of `text` (without its terminator) in
// `buffer`, or -1.
int64_t FindInBuffer(const uint8_t* buffer, const char* text, uint32_t size);

}  // namespace hw
