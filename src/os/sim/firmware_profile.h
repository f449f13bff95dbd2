// The firmware sections of a machine profile's "hardware": memory windows,
// the SMBIOS table (a `dmidecode --dump-bin` file, or an entry point and a
// table as Linux shows them under /sys/firmware/dmi/tables/) and the
// maker's "DEVEL", "DiaG@" and "AMIBIOS" blocks. docs/profile-hardware.md
// documents the fields.
#pragma once

#include <nlohmann/json.hpp>

#include "os/sim/machine/machine.h"

namespace sim {

// Places what the profile's "hardware" section says of the firmware into
// `m`; throws std::runtime_error naming the field when it cannot.
void BuildFirmware(const nlohmann::json& profile, machine::Machine* m);

}  // namespace sim
