// Reading the fields of a machine profile's hardware sections: numbers
// written either way, bytes placed into the model's memory, host files the
// profile names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "os/sim/machine/machine.h"

namespace sim {

// A JSON number, a boolean (1 or 0) or a string in C notation ("0x2E");
// throws std::runtime_error naming `field` otherwise.
uint64_t Number(const nlohmann::json& value, const char* field);
uint64_t NumberOr(const nlohmann::json& object, const char* field, uint64_t fallback);

// Writes `bytes` at `address`; throws when any of them is not backed.
void Place(machine::Machine* m, uint64_t address, const std::vector<uint8_t>& bytes);

// The contents of a host file the profile names; a relative name is taken
// from the profile's "folder" (the profile file's own folder when it was
// loaded from one). Throws when it cannot be read.
std::vector<uint8_t> ReadProfileFile(const nlohmann::json& profile, const std::string& name);

}  // namespace sim
