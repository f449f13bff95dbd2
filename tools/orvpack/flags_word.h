// The package flags word as release engineers write it: a number (decimal
// or 0x hexadecimal) or bit names joined by '|' or ',' ("FlashLastArea|
// NoMessageBox"), or a mix of both.
#pragma once

#include <cstdint>
#include <string>

namespace orvpack {

// False with `*error` set for an unknown name or a malformed number.
bool ParseFlagsWord(const std::string& text, uint32_t* value, std::string* error);

// "0x00000028 FlashLastArea|NoMessageBox"; bits without a name are shown as
// one hexadecimal remainder.
std::string DescribeFlagsWord(uint32_t value);

}  // namespace orvpack
