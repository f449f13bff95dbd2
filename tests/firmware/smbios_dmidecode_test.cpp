// SMBIOS tables shaped like real ones, read by the updater from the
// simulated notebook and by Debian's dmidecode from the same dump file:
// both must find the same serial number and OEM strings (the updater keeps
// 31 characters of each).
#include <filesystem>
#include <numeric>

#include "os/sim/hardware_profile.h"

#include "firmware/current_identity.h"
#include "identity_fixture.h"

namespace identity_test {
namespace {

using smbios_test::EntryPointKind;

std::string Cut(const std::string& text) {
  return text.substr(0, firmware::kIdentityFieldSize - 1);
}

class AgainstDmidecode : public IdentityTest {
 protected:
  // Boots the notebook from the dump and checks the updater's fields
  // against dmidecode's reading of the same file.
  void Compare(const std::string& dump, const std::string& label) {
    SCOPED_TRACE(label);
    const smbios_test::DmidecodeView view = smbios_test::ReadWithDmidecode(dump);
    ASSERT_TRUE(view.ran) << "dmidecode is missing (scripts/install-deps installs it)";
    ASSERT_FALSE(view.serial.empty());
    Boot("win7-x86-phoenix.json", [&](nlohmann::json& j) {
      j["hardware"]["smbios"] = {{"dump", dump}, {"tableAddress", kTableAddress}};
    });
    ASSERT_EQ(firmware::ReadCurrentIdentity(), core::ResultSuccess);
    EXPECT_EQ(Id().SystemSerial, Cut(view.serial));
    EXPECT_EQ(Id().BiosFlag, Cut(view.oem1));
    EXPECT_EQ(Id().PurchaseDate, Cut(view.oem2));
  }
};

TEST_F(AgainstDmidecode, NotebookTablesWithEither2xEntryPoint) {
  smbios_test::NotebookFacts longStrings;
  longStrings.serial = "SERIAL-NUMBER-OF-MORE-THAN-THIRTY-TWO-CHARACTERS";
  longStrings.biosFlag = std::string(31, 'F');  // exactly what a field holds
  longStrings.purchaseDate = std::string(32, 'D');
  longStrings.manufacturer = "A manufacturer name of more than thirty-two characters";
  smbios_test::NotebookFacts shortStrings;
  shortStrings.serial = "1";
  shortStrings.biosFlag = "F";
  shortStrings.purchaseDate = "D";
  int n = 0;
  for (const auto& facts : {smbios_test::NotebookFacts{}, longStrings, shortStrings}) {
    for (EntryPointKind kind : {EntryPointKind::kVersion2, EntryPointKind::kLegacy}) {
      Compare(WriteDump(smbios_test::NotebookTable(facts), kind), "table " + std::to_string(n++));
    }
  }
}

// The profiles' tables (profiles/smbios/) are what the end-to-end runs read.
TEST_F(AgainstDmidecode, TheProfilesTables) {
  int found = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(ORV_SOURCE_DIR) + "/profiles/smbios")) {
    if (entry.path().extension() != ".bin") continue;
    Compare(entry.path().string(), entry.path().filename().string());
    ++found;
  }
  EXPECT_GT(found, 0);
}

TEST_F(AgainstDmidecode, StringsGoByPositionWhereDmidecodeFollowsTheIndex) {
  smbios_test::TableBuilder table;
  std::vector<uint8_t> fields = {1, 2, 0, 3};  // no version string: the serial is the third
  fields.resize(23, 0);
  table.Add(1, fields, {"Orvanta", "900X3C", "SERIAL3", "SKU"}).End();
  const std::string dump = WriteDump(table, EntryPointKind::kVersion2);
  EXPECT_EQ(smbios_test::ReadWithDmidecode(dump).serial, "SERIAL3");
  BootFirmware(&table);
  ASSERT_EQ(firmware::ReadCurrentIdentity(), core::ResultSuccess);
  const std::vector<std::string> strings = smbios_test::StringsWithDmidecode(dump, 1);
  ASSERT_EQ(strings.size(), 4u);
  EXPECT_EQ(Id().SystemSerial, strings[3]);
}

TEST_F(AgainstDmidecode, A3xTableIsReadByDmidecodeButHasNoEntryPointForTheUpdater) {
  const std::string dump =
      WriteDump(smbios_test::NotebookTable(), smbios_test::EntryPointKind::kVersion3);
  EXPECT_EQ(smbios_test::ReadWithDmidecode(dump).serial, "HQ8A91BC300123Y");
  Boot("win7-x86-phoenix.json", [&](nlohmann::json& j) {
    j["hardware"]["smbios"] = {{"dump", dump}};
  });
  ASSERT_EQ(firmware::ReadCurrentIdentity(), core::ResultSuccess);
  EXPECT_STREQ(Id().SystemSerial, "");
  EXPECT_STREQ(Id().BiosFlag, "");
}

// The form Linux shows under /sys/firmware/dmi/tables/: the entry point
// keeps the table's real address, where the notebook places it.
TEST_F(IdentityTest, TheSysfsFilesPutTheTableWhereItsEntryPointSays) {
  const smbios_test::TableBuilder table = smbios_test::NotebookTable();
  std::string entry = smbios_test::DumpFile(table).substr(0, 31);
  const uint32_t address = 0xCFF00000;
  for (int i = 0; i < 4; ++i) entry[24 + i] = static_cast<char>(address >> (8 * i));
  entry[21] = 0;
  entry[21] = static_cast<char>(-std::accumulate(entry.begin() + 16, entry.end(), 0));
  entry[4] = 0;
  entry[4] = static_cast<char>(-std::accumulate(entry.begin(), entry.end(), 0));
  const std::string folder = dumps_.path();
  ASSERT_TRUE(sim::WriteHostFile(folder + "/smbios_entry_point", entry));
  ASSERT_TRUE(
      sim::WriteHostFile(folder + "/DMI", std::string(table.Bytes().begin(), table.Bytes().end())));
  Boot("win7-x86-phoenix.json", [&](nlohmann::json& j) {
    j["folder"] = folder;  // the profile names the files relative to it
    j["hardware"]["smbios"] = {{"entryPoint", "smbios_entry_point"}, {"table", "DMI"}};
  });
  ASSERT_EQ(firmware::ReadCurrentIdentity(), core::ResultSuccess);
  EXPECT_STREQ(Id().SystemSerial, "HQ8A91BC300123Y");
  EXPECT_EQ(*hardware().memory.At(address), 0);  // type 0 begins the table

  // A table the machine cannot hold where it is asked to be is a profile error.
  auto m = std::make_unique<machine::Machine>();
  for (const char* at : {"0xF8000", "0xFFFFF800"}) {
    nlohmann::json profile = {
        {"folder", folder},
        {"hardware",
         {{"smbios",
           {{"entryPoint", "smbios_entry_point"}, {"table", "DMI"}, {"tableAddress", at}}}}}};
    EXPECT_THROW(sim::BuildMachine(profile, m.get()), std::runtime_error) << at;
  }
}

}  // namespace
}  // namespace identity_test
