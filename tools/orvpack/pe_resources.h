// The resources of a PE library, read from its resource section as Windows
// finds them: the three-level directory of type, name and language, and the
// data each entry names. Only numeric types and names are collected (the
// updater asks for nothing by name).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pe_image.h"

namespace orvpack {

inline constexpr uint32_t kBitmapResource = 2, kDialogResource = 5, kStringResource = 6;

struct Resource {
  uint32_t type = 0;
  uint32_t name = 0;
  uint16_t language = 0;
  int64_t position = 0;  // of the data in the file
  uint32_t size = 0;
};

// False with `*fault` set when the directory or an entry's data does not lie
// where the library says; true with an empty list for a library without a
// resource section.
bool ReadResources(firmware::ImageReader& file, const PeHeaders& headers,
                   const std::vector<PeSection>& sections, std::vector<Resource>* resources,
                   std::string* fault);

// The 16 strings of a string-table resource (block B holds the strings
// 16 (B - 1) to 16 (B - 1) + 15), as UTF-16 units; an absent string is
// empty. False when the data ends inside a string.
bool ReadStringBlock(firmware::ImageReader& file, const Resource& block,
                     std::vector<std::u16string>* strings);

}  // namespace orvpack
