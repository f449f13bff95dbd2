// `orv-sim image`: what the updater reads from an image file (the markers
// and flash-area table of a Phoenix image, the blocks of a new system file,
// the "$FID" record of an AMI image) and what the flash-area patch would
// change in it.
#pragma once

#include <cstdint>
#include <string>

namespace orvsim {

struct ImageRequest {
  std::string path;
  bool patch = false;
  uint32_t flags = 0;    // UpdateFlags for the patch
  uint8_t keptArea = 0;  // KeptAreaIndex for the patch
};

// Prints the report; 0, or 2 when the file cannot be read.
int ShowImage(const ImageRequest& request);

}  // namespace orvsim
