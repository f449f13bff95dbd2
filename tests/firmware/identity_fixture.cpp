#include "identity_fixture.h"

namespace identity_test {

std::string IdentityTest::WriteDump(const smbios_test::TableBuilder& table,
                                    smbios_test::EntryPointKind kind) {
  static int made = 0;
  const std::string path = dumps_.path() + "/table" + std::to_string(++made) + ".bin";
  EXPECT_TRUE(sim::WriteHostFile(path, smbios_test::DumpFile(table, kind)));
  return path;
}

void IdentityTest::BootFirmware(const smbios_test::TableBuilder* table,
                                const std::function<void(nlohmann::json&)>& edit,
                                smbios_test::EntryPointKind kind) {
  const std::string dump = table ? WriteDump(*table, kind) : "";
  Boot("win7-x86-phoenix.json", [&](nlohmann::json& j) {
    nlohmann::json& h = j["hardware"];
    h.erase("memory");
    h.erase("smbios");
    if (table) h["smbios"] = {{"dump", dump}, {"tableAddress", kTableAddress}};
    h["devel"] = {{"address", "0xF4321"}, {"partNumber", kPartNumber}};
    h["diag"] = {{"address", "0xF5557"}, {"model", kDiagModel}, {"version", kVersion}};
    h["swSmi"]["model"] = kSmiModel;
    if (edit) edit(j);
  });
}

std::vector<std::pair<uint64_t, uint32_t>> IdentityTest::MemoryReads() {
  const machine::Machine& m = hardware();
  std::vector<std::pair<uint64_t, uint32_t>> reads;
  const uint32_t first =
      m.logged > machine::Machine::kLogSize ? m.logged - machine::Machine::kLogSize : 0;
  for (uint32_t i = first; i < m.logged; ++i) {
    const machine::RequestRecord& r = m.log[i % machine::Machine::kLogSize];
    if (r.kind == machine::RequestRecord::kMemoryRead) reads.emplace_back(r.target, r.value);
  }
  return reads;
}

bool IdentityTest::ReadsStayWithin(uint64_t from, uint64_t to) {
  for (const auto& [address, length] : MemoryReads()) {
    const bool bios = address >= 0xF0000 && address + length <= 0x100000;
    const bool inside = address >= from && address + length <= to;
    // The mailbox of the software SMI lies in the BIOS area as well.
    if (!bios && !inside) {
      ADD_FAILURE() << "read of " << length << " bytes at 0x" << std::hex << address;
      return false;
    }
  }
  return true;
}

}  // namespace identity_test
