#include "identity_report.h"

#include <cstdio>

#include "app/driver_steps.h"
#include "app/sequence_state.h"
#include "firmware/current_identity.h"
#include "firmware/firmware_state.h"
#include "hw/driver_loading.h"

namespace orvsim {
namespace {

// Bytes outside printable ASCII as \xNN, so a line stays one line.
std::string Shown(const char* text) {
  std::string shown;
  for (const char* c = text; *c; ++c) {
    const auto byte = static_cast<unsigned char>(*c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      shown += *c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    }
  }
  return shown;
}

std::string Value(uint32_t value) {
  if (value == firmware::kSignatureMissing) return "not found";
  if (value == core::ResultDriverLoad) return "driver not opened";
  return std::to_string(value);
}

}  // namespace

std::vector<std::string> ReadIdentityLines() {
  hw::ProbePlatform();
  if (!app::DetectAmiFirmware()) return {"firmware: the driver cannot be opened"};
  if (app::Sequence().AmiFirmware) {
    char part[4] = {};
    const uint32_t read = firmware::ReadCurrentPartNumber(part);
    return {"firmware: AMI", "AmiBiosVersion: " + Value(firmware::ReadAmiBiosVersion()),
            "BiosPartNumber: " + (read == 0 ? Shown(part) : Value(read))};
  }
  if (firmware::ReadCurrentIdentity() != core::ResultSuccess)
    return {"firmware: Phoenix", "identity: the driver cannot be opened"};
  const firmware::FirmwareIdentity& id = firmware::Firmware().CurrentFirmwareIdentity;
  return {"firmware: Phoenix",
          "BiosPartVersion: " + Shown(id.BiosPartVersion),
          "BiosModelNumber: " + Shown(id.BiosModelNumber),
          "BiosPartNumber: " + Shown(id.BiosPartNumber),
          "PurchaseDate: " + Shown(id.PurchaseDate),
          "SystemSerial: " + Shown(id.SystemSerial),
          "BiosFlag: " + Shown(id.BiosFlag)};
}

}  // namespace orvsim
