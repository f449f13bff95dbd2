// The AMI path's own checks of the new image "bios.rom": its version must
// not be older than the installed firmware's, its part number must be the
// installed one. Both values come from the image's "$FID" record.
#pragma once

#include <cstdint>
#include <string>

#include "core/results.h"

namespace firmware {

// The decimal version of the first "$FID" record (8 characters at its byte
// 52); 0 without a record, kSignatureMissing (-1) when the file cannot be
// read.
uint32_t ReadAmiImageVersion(const std::string& name);
// The record's 3-character part number and a NUL into `buffer` (4 bytes at
// least, untouched without a record); 0, or kSignatureMissing when the
// file cannot be read.
uint32_t ReadAmiImagePartNumber(const std::string& name, char* buffer);

// 0 when the first three characters agree; ResultModelMismatch (with both
// part numbers stored for the message) when they differ; ResultDriverLoad
// when the installed one cannot be read; kSignatureMissing when the
// image's cannot.
core::ResultCode CheckAmiPartNumber();
// The version check, then the part-number check. Equal versions pass.
core::ResultCode CheckAmiImage();

}  // namespace firmware
