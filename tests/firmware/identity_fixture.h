// A simulated notebook whose firmware a test describes: its SMBIOS table
// (written as a dmidecode dump), the maker's blocks and the software-SMI
// record; the identity readers run against it through the TORQ driver.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "firmware/firmware_state.h"
#include "hw/hw_fixture.h"
#include "os/sim/host_files.h"
#include "support/smbios_table.h"

namespace identity_test {

// What the maker's blocks hold unless a test says otherwise.
inline constexpr const char* kPartNumber = "BA4";
inline constexpr const char* kDiagModel = "KR";  // the text at "DiaG@" byte 11
inline constexpr const char* kVersion = "07HL1";
inline constexpr const char* kSmiModel = "NP900X3C";

class IdentityTest : public hwtest::HwTest {
 protected:
  // Boots the 32-bit Windows 7 notebook with `table` (none: no SMBIOS) as
  // its SMBIOS dump, the default blocks and SMI record, then `edit`.
  void BootFirmware(const smbios_test::TableBuilder* table,
                    const std::function<void(nlohmann::json&)>& edit = {},
                    smbios_test::EntryPointKind kind = smbios_test::EntryPointKind::kVersion2);
  std::string WriteDump(const smbios_test::TableBuilder& table, smbios_test::EntryPointKind kind);
  const firmware::FirmwareIdentity& Id() { return firmware::Firmware().CurrentFirmwareIdentity; }
  // The memory reads the machine's log kept, as (address, length).
  std::vector<std::pair<uint64_t, uint32_t>> MemoryReads();
  // True when every kept memory read lies in the BIOS area or in
  // [from, to).
  bool ReadsStayWithin(uint64_t from, uint64_t to);

  static constexpr uint64_t kTableAddress = 0xBFF9E000;  // near 3 GiB, as on real machines
  sim::ScratchFolder dumps_{"orv-identity"};
};

}  // namespace identity_test
