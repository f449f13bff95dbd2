// Host-side work on machine files: making an image from a machine profile,
// reading an image or state file back, and describing a state as text that
// tests compare with the native run's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "machine_file.h"

namespace machine_tools {

struct MachineFile {
  machine_file::Header header{};
  std::unique_ptr<machine::Machine> machine;
};

// The image of the profile's hardware: header and model object. Throws
// std::runtime_error naming the field when the profile is malformed.
std::vector<uint8_t> MakeImage(const nlohmann::json& profile);
// The bytes of a state file as a driver of `driver` would write it.
std::vector<uint8_t> StateBytes(const machine::Machine& m, uint32_t requestMicros,
                                machine::Driver driver);

// Reads and checks a machine file of the expected kind; false with a
// reason in `error` when it cannot be used.
bool ReadMachineFile(const std::string& path, machine_file::Kind kind, MachineFile* file,
                     std::string* error);
bool ParseMachineFile(const std::vector<uint8_t>& bytes, machine_file::Kind kind, MachineFile* file,
                      std::string* error);

// The state as text: one "section name=value ..." line per device, the
// bytes of EC RAM, CMOS and memory that differ from `image` (all non-zero
// EC RAM and CMOS bytes when there is no image), then the request log.
std::string DescribeState(const MachineFile& state, const MachineFile* image);

const char* DriverName(uint32_t driver);

}  // namespace machine_tools
