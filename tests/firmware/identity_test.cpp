// The installed firmware's identity: the SMBIOS walk and its bounds, the
// entry point, the maker's blocks, the software-SMI model query in both
// widths, the AMI values.
#include <cstring>

#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/current_identity.h"
#include "hw/driver_loading.h"
#include "identity_fixture.h"
#include "support/case_name.h"

namespace identity_test {
namespace {

using testing_support::PrintTo;

using firmware::ReadCurrentIdentity;
using smbios_test::TableBuilder;

std::vector<uint8_t> SystemFields(uint8_t serialIndex = 4) {
  std::vector<uint8_t> f = {1, 2, 3, serialIndex};
  f.resize(23, 0x5A);  // UUID, wake-up type, SKU, family
  return f;
}

const std::vector<std::string> kSystemStrings = {"Orvanta",      "900X3C", "P07AAH",
                                                 "HQ8A91BC3001", "SKU",    "Family"};

struct WalkCase {
  const char* name;
  TableBuilder table;
  uint16_t count;  // the entry point's structure count; 0: the table's
  const char* serial;
  const char* flag;
  const char* date;
};

std::vector<WalkCase> WalkCases() {
  const std::string long40(40, 'L'), long45 = "F" + std::string(44, 'f');
  std::vector<WalkCase> cases;
  cases.push_back({"structure without strings is skipped",
                   TableBuilder()
                       .Add(32, std::vector<uint8_t>(7, 0))
                       .Add(1, SystemFields(), kSystemStrings)
                       .Add(11, {2}, {"FLAG", "2012-03-14"})
                       .End(),
                   0, "HQ8A91BC3001", "FLAG", "2012-03-14"});
  cases.push_back({"only the first OEM structure counts",
                   TableBuilder()
                       .Add(11, {2}, {"FIRST", "DATE1"})
                       .Add(11, {2}, {"SECOND", "DATE2"})
                       .Add(1, SystemFields(), kSystemStrings)
                       .End(),
                   0, "HQ8A91BC3001", "FIRST", "DATE1"});
  cases.push_back({"index bytes are ignored: the fourth string is the serial",
                   TableBuilder().Add(1, SystemFields(3), kSystemStrings).End(), 0, "HQ8A91BC3001",
                   "", ""});
  cases.push_back({"long strings are read to their end and cut to 31",
                   TableBuilder()
                       .Add(1, SystemFields(), {"A", "B", long40, "SERIAL"})
                       .Add(11, {2}, {long45, "D"})
                       .End(),
                   0, "SERIAL", "Fffffffffffffffffffffffffffffff", "D"});
  cases.push_back({"a set of fewer strings leaves the rest empty",
                   TableBuilder().Add(1, SystemFields(), {"A", "B"}).Add(11, {2}, {"ONLY"}).End(),
                   0, "", "ONLY", ""});
  cases.push_back(
      {"the end-of-table structure ends the walk",
       TableBuilder().Add(1, SystemFields(), kSystemStrings).End().Add(11, {2}, {"X", "Y"}), 0,
       "HQ8A91BC3001", "", ""});
  cases.push_back(
      {"the structure count ends the walk",
       TableBuilder().Add(1, SystemFields(), kSystemStrings).Add(11, {2}, {"X", "Y"}).End(), 1,
       "HQ8A91BC3001", "", ""});
  cases.push_back({"the table length ends a walk without terminator or count",
                   TableBuilder()
                       .Add(1, SystemFields(), kSystemStrings)
                       .AddRaw({2, 5, 9, 0, 1, 'B', 'O', 'A', 'R', 'D', 0}),  // a set never ended
                   200, "HQ8A91BC3001", "", ""});
  cases.push_back(
      {"a structure shorter than its header breaks the table",
       TableBuilder().AddRaw({5, 2, 0, 0, 'x', 0, 0}).Add(1, SystemFields(), kSystemStrings).End(),
       0, "", "", ""});
  cases.push_back({"a string cut off by the table's end is the set's last",
                   TableBuilder()
                       .Add(1, SystemFields(), kSystemStrings)
                       .AddRaw({11, 5, 9, 0, 2, 'C', 'U', 'T'}),
                   0, "HQ8A91BC3001", "CUT", ""});
  return cases;
}

class SmbiosWalk : public IdentityTest, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(SmbiosWalk, FieldsComeFromTheRightStringsAndNoReadLeavesTheTable) {
  const WalkCase& c = GetParam();
  BootFirmware(&c.table);
  if (c.count) {  // the dump announces the table's own count; this case another
    uint8_t* entry = hardware().memory.At(0xF6A10 + 16);  // "_DMI_" inside "_SM_"
    entry[12] = static_cast<uint8_t>(c.count);
    entry[13] = static_cast<uint8_t>(c.count >> 8);
    entry[5] = 0;
    uint8_t sum = 0;
    for (int i = 0; i < 15; ++i) sum = static_cast<uint8_t>(sum + entry[i]);
    entry[5] = static_cast<uint8_t>(-sum);
  }
  ASSERT_EQ(ReadCurrentIdentity(), core::ResultSuccess);
  EXPECT_STREQ(Id().SystemSerial, c.serial);
  EXPECT_STREQ(Id().BiosFlag, c.flag);
  EXPECT_STREQ(Id().PurchaseDate, c.date);
  EXPECT_TRUE(ReadsStayWithin(kTableAddress, kTableAddress + c.table.Bytes().size()));
  EXPECT_EQ(notebook().devices().OpenHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Tables, SmbiosWalk, ::testing::ValuesIn(WalkCases()));

// A "_DMI_" that is not a valid entry point of a table below 4 GiB gives
// empty SMBIOS fields and no read outside the BIOS area.
struct EntryCase {
  const char* name;
  uint32_t at;       // where the hand-made entry point lies
  uint32_t address;  // the table address it names
  uint16_t length;
  int checksumDelta;  // 0: a valid checksum
};

class EntryPoint : public IdentityTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(EntryPoint, AnythingButAValidAlignedEntryPointIsNoTable) {
  const EntryCase& c = GetParam();
  BootFirmware(nullptr, [&](nlohmann::json& j) {
    std::vector<uint8_t> e = {'_', 'D', 'M', 'I', '_', 0, 0, 0, 0, 0, 0, 0, 3, 0, 0x27};
    e[6] = static_cast<uint8_t>(c.length);
    e[7] = static_cast<uint8_t>(c.length >> 8);
    for (int i = 0; i < 4; ++i) e[8 + i] = static_cast<uint8_t>(c.address >> (8 * i));
    uint8_t sum = 0;
    for (uint8_t b : e) sum = static_cast<uint8_t>(sum + b);
    e[5] = static_cast<uint8_t>(-sum + c.checksumDelta);
    std::string hex;
    for (uint8_t b : e)
      hex += std::string(1, "0123456789ABCDEF"[b >> 4]) + "0123456789ABCDEF"[b & 15];
    j["hardware"]["memory"] = {{{"address", c.at}, {"hex", hex}}};
  });
  ASSERT_EQ(ReadCurrentIdentity(), core::ResultSuccess);
  EXPECT_STREQ(Id().SystemSerial, "");
  EXPECT_STREQ(Id().BiosFlag, "");
  EXPECT_TRUE(ReadsStayWithin(0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, EntryPoint,
    ::testing::Values(EntryCase{"checksum", 0xF6A10, 0x100000, 0x100, 1},
                      EntryCase{"not on a 16-byte boundary", 0xF6A18, 0xF7000, 0x100, 0},
                      EntryCase{"past 4 GiB", 0xF6A10, 0xFFFFF000, 0x2000, 0}));

TEST_F(IdentityTest, MissingBlocksGiveEmptyFieldsWithoutReadsAtAddressZero) {
  BootFirmware(nullptr, [](nlohmann::json& j) {
    j["hardware"].erase("devel");
    j["hardware"].erase("diag");
    j["hardware"].erase("swSmi");
  });
  std::memcpy(firmware::Firmware().CurrentFirmwareIdentity.BiosFlag, "stale", 6);
  ASSERT_EQ(ReadCurrentIdentity(), core::ResultSuccess);
  const firmware::FirmwareIdentity empty{};
  EXPECT_EQ(std::memcmp(&Id(), &empty, sizeof empty), 0);
  EXPECT_TRUE(ReadsStayWithin(0, 0));
}

// The model number by case: the SMI query answers "NP900X3C", the "DiaG@"
// block holds "KR" at byte 11 and "07HL1" at byte 25.
struct ModelCase {
  const char* name;
  bool wide;        // UseDiagRecord
  const char* smi;  // "present", "level 0x23", "dead", or an answer
  const char* model;
  const char* version;
};

class ModelNumber : public IdentityTest, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(ModelNumber, ComesFromTheSmiQueryOrTheDiagBlock) {
  const ModelCase& c = GetParam();
  BootFirmware(nullptr, [&](nlohmann::json& j) {
    nlohmann::json& smi = j["hardware"]["swSmi"];
    if (std::string(c.smi) == "level 0x23") smi["level"] = "0x23";
    if (std::string(c.smi) == "dead") smi["handler"] = "dead";
  });
  if (c.smi[0] == '\xFF') std::strncpy(hardware().smi.model, c.smi, 16);  // not UTF-8 for JSON
  core::Shared().UpdateFlags = c.wide ? core::UseDiagRecord : 0;
  ASSERT_EQ(ReadCurrentIdentity(), core::ResultSuccess);
  EXPECT_STREQ(Id().BiosModelNumber, c.model);
  EXPECT_STREQ(Id().BiosPartVersion, c.version);
  EXPECT_STREQ(Id().BiosPartNumber, kPartNumber);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelNumber,
    ::testing::Values(
        ModelCase{"narrow by SMI", false, "present", "NP90", "07HL"},
        ModelCase{"wide by SMI after the DiaG text", true, "present", "KRNP9", "07HL1"},
        ModelCase{"narrow level 0x23 unusable", false, "level 0x23", "R", "07HL"},
        ModelCase{"wide level 0x23 unusable", true, "level 0x23", "KR", "07HL1"},
        ModelCase{"narrow answer 0xFF is no SMI", false, "\xFF\xFF\xFF\xFF", "R", "07HL"},
        ModelCase{"wide answer 0xFF is kept", true,
                  "\xFF"
                  "ABC",
                  "KR\xFF"
                  "AB",
                  "07HL1"},
        ModelCase{"narrow no answer is no SMI", false, "dead", "R", "07HL"}));

TEST_F(IdentityTest, BlocksAreFoundAtAnyOffsetAndReadOnlyInsideTheBiosArea) {
  BootFirmware(nullptr, [](nlohmann::json& j) {
    j["hardware"]["devel"]["address"] = "0xF0001";
    // 24 bytes before the end: the version at byte 25 lies past the area.
    j["hardware"].erase("diag");
    j["hardware"]["memory"] = {{{"address", "0xFFFE8"}, {"text", "DiaG@......XNP4C"}}};
    j["hardware"].erase("swSmi");
  });
  ASSERT_EQ(ReadCurrentIdentity(), core::ResultSuccess);
  EXPECT_STREQ(Id().BiosPartNumber, kPartNumber);
  EXPECT_STREQ(Id().BiosModelNumber, "NP4C");
  EXPECT_STREQ(Id().BiosPartVersion, "");
  EXPECT_TRUE(ReadsStayWithin(0, 0));
}

// One identity read on a notebook's table: the Part's requests exactly,
// one per read of the walk and of each string.
TEST_F(IdentityTest, OneReadOfARealSizeTableCostsTheWalksRequests) {
  const TableBuilder table = smbios_test::NotebookTable();
  BootFirmware(&table);
  ASSERT_EQ(ReadCurrentIdentity(), core::ResultSuccess);
  EXPECT_STREQ(Id().SystemSerial, "HQ8A91BC300123Y");
  EXPECT_STREQ(Id().BiosFlag, "FLAG=0x0412");
  EXPECT_STREQ(Id().PurchaseDate, "2012-03-14");

  // A skipped structure costs its type and length bytes and one read per
  // byte of its string set but the last; the found one its type byte.
  auto walk = [&](uint8_t type) {
    uint32_t requests = 1;
    for (size_t n = 0; table.Bytes()[table.OffsetOf(n)] != type; ++n) {
      const size_t size = table.OffsetOf(n + 1) - table.OffsetOf(n);
      requests += 1 + static_cast<uint32_t>(size - table.Bytes()[table.OffsetOf(n) + 1]);
    }
    return requests;
  };
  const uint32_t entryPoint = 2, strings1 = 1 + 4, strings11 = 1 + 2, block = 2;
  const uint32_t smi = 1 /* locate */ + 3 /* port writes */ + 1 /* mailbox */ + 1 /* reply */;
  const uint32_t expected = entryPoint + walk(1) + strings1 + entryPoint + walk(11) + strings11 +
                            block /* DEVEL */ + smi + block /* DiaG@ */;
  EXPECT_EQ(Requests(), expected);
  RecordProperty("requests", static_cast<int>(Requests()));
  RecordProperty("tableBytes", static_cast<int>(table.Bytes().size()));
}

TEST_F(IdentityTest, AmiValuesAndTheDriverClosedOnEveryPath) {
  BootFirmware(nullptr, [](nlohmann::json& j) {
    j["hardware"]["amiBios"] = {{"address", "0xF2223"}, {"version", "  0812xx"}};
  });
  EXPECT_EQ(firmware::ReadAmiBiosVersion(), 812u);
  char part[4] = {};
  EXPECT_EQ(firmware::ReadCurrentPartNumber(part), 0u);
  EXPECT_STREQ(part, kPartNumber);
  EXPECT_EQ(notebook().devices().OpenHandles(), 0u);

  BootFirmware(nullptr, [](nlohmann::json& j) { j["hardware"].erase("devel"); });
  EXPECT_EQ(firmware::ReadAmiBiosVersion(), firmware::kSignatureMissing);
  EXPECT_EQ(firmware::ReadCurrentPartNumber(part), firmware::kSignatureMissing);
  EXPECT_EQ(notebook().devices().OpenHandles(), 0u);
}

TEST_F(IdentityTest, WithoutTheDriverEveryReaderSaysSo) {
  Boot("win10-x64-phoenix.json");  // ADDMEM.SYS is not there to install
  EXPECT_EQ(ReadCurrentIdentity(), core::ResultDriverLoad);
  EXPECT_EQ(firmware::ReadAmiBiosVersion(), core::ResultDriverLoad);
  char part[4] = {};
  EXPECT_EQ(firmware::ReadCurrentPartNumber(part), core::ResultDriverLoad);
}

}  // namespace
}  // namespace identity_test
