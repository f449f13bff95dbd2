// Texts taken out of firmware memory and image files: bytes copied into a
// fixed NUL-terminated field, and the decimal numbers some of them hold.
#pragma once

#include <cstddef>
#include <cstdint>

namespace firmware {

// Copies at most `count` bytes of `from`, up to the first NUL, into `to`
// (`size` bytes, the NUL included), cut to fit.
void CopyText(char* to, size_t size, const uint8_t* from, size_t count);

// The number at the start of `count` bytes of text, read as the C library
// reads a decimal integer: leading white space skipped, an optional sign,
// digits up to the first other character (or NUL); no digit gives 0.
int32_t DecimalValue(const uint8_t* text, size_t count);

}  // namespace firmware
