// The headers of a PE file (an executable or a library) as far as the tool
// reads them: the data directory's entries and the section table that maps
// addresses in the loaded image to positions in the file. Every field comes
// from untrusted bytes; every read is checked against the file.
#pragma once

#include <cstdint>
#include <vector>

#include "firmware/image_reader.h"

namespace orvpack {

inline constexpr uint32_t kResourceDirectory = 2;
inline constexpr uint32_t kSecurityDirectory = 4;

struct PeHeaders {
  int64_t fileSize = 0;
  bool pe32Plus = false;
  uint16_t sectionCount = 0;
  int64_t sectionTable = 0;     // file position of the first section header
  int64_t directories = 0;      // file position of data directory entry 0
  uint32_t directoryCount = 0;  // entries that both the count and the header's size hold
};

// False when the `fileSize` bytes hold no PE headers ("MZ", the offset at
// byte 0x3C, "PE\0\0", an optional header of the 32- or 64-bit kind).
bool ReadPeHeaders(firmware::ImageReader& file, int64_t fileSize, PeHeaders* headers);

// Data directory entry `index` (an address, or a file position for the
// security entry, and a size); false when the headers hold no such entry.
bool ReadDataDirectory(firmware::ImageReader& file, const PeHeaders& headers, uint32_t index,
                       uint32_t* address, uint32_t* size);

struct PeSection {
  uint32_t address = 0;  // in the loaded image
  uint32_t rawSize = 0;
  uint32_t rawPosition = 0;  // in the file
};

bool ReadPeSections(firmware::ImageReader& file, const PeHeaders& headers,
                    std::vector<PeSection>* sections);

// The file position of the `size` bytes at `address`, when they lie in one
// section's data in the file.
bool FilePosition(const std::vector<PeSection>& sections, uint32_t address, uint32_t size,
                  int64_t* position);

}  // namespace orvpack
