// The new image: choosing the files, the flash-area patch, what
// "newSys.bin" says, the AMI checks of "bios.rom".
#include "core/log.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/ami_checks.h"
#include "firmware/current_identity.h"
#include "firmware/file_lists.h"
#include "firmware/firmware_state.h"
#include "firmware/flash_area_patch.h"
#include "firmware/image_selection.h"
#include "firmware/new_system_identity.h"
#include "identity_fixture.h"
#include "support/case_name.h"
#include "support/image_files.h"

namespace identity_test {
namespace {

using testing_support::PrintTo;

using image_test::AreaRow;
using image_test::PhoenixLayout;

class Files : public IdentityTest {
 protected:
  void SetUp() override { BootFirmware(nullptr); }
  void Put(const std::string& name, const std::string& content = "x") {
    ASSERT_TRUE(notebook().files().Put(name, content));
  }
  std::string Get(const std::string& name) {
    std::string content;
    notebook().files().Get(name, &content);
    return content;
  }
  bool Exists(const std::string& name) { return notebook().files().Exists(name); }
};

// The system yields names of 255 characters at most; the lists are sized
// for that, and anything longer is left out rather than cut. This file
// system adds such a name in front of every listing.
class LongNameFiles : public os::FileSystem {
 public:
  explicit LongNameFiles(os::FileSystem* real) : real_(real) {}
  os::FileHandle Open(const std::string& path, os::Access access, os::Disposition disposition,
                      os::Share share, uint32_t* error) override {
    return real_->Open(path, access, disposition, share, error);
  }
  bool Remove(const std::string& path) override { return real_->Remove(path); }
  bool Rename(const std::string& from, const std::string& to) override {
    return real_->Rename(from, to);
  }
  bool Copy(const std::string& from, const std::string& to, bool failIfExists) override {
    return real_->Copy(from, to, failIfExists);
  }
  bool MakeDirectory(const std::string& path) override { return real_->MakeDirectory(path); }
  bool ChangeDirectory(const std::string& path) override { return real_->ChangeDirectory(path); }
  std::string CurrentDirectory() override { return real_->CurrentDirectory(); }
  bool Enumerate(const std::string& pattern, std::vector<std::string>* names) override {
    if (!real_->Enumerate(pattern, names)) return false;
    names->insert(names->begin(), std::string(256, 'N') + pattern.substr(1));
    return true;
  }
  bool FreeBytesAvailable(const std::string& directory, uint64_t* bytes) override {
    return real_->FreeBytesAvailable(directory, bytes);
  }
  std::string HostPath(const std::string& path) override { return real_->HostPath(path); }
  os::EntryKind KindOf(const std::string& path) override { return real_->KindOf(path); }

 private:
  os::FileSystem* real_;
};

TEST_F(Files, ListsHoldTenNamesAndLogWhatTheyLeaveOut) {
  for (int i = 0; i < 12; ++i) Put("R01" + std::to_string(10 + i) + (i % 2 ? ".wph" : ".WPH"));
  for (int i = 0; i < 11; ++i) Put("K" + std::to_string(10 + i) + ".bin");
  LongNameFiles longNames(os::Os().files);
  os::Platform platform = os::Os();
  os::FileSystem* real = platform.files;
  platform.files = &longNames;
  os::InstallPlatform(platform);
  EXPECT_EQ(firmware::FindImageFiles(), core::ResultSuccess);
  EXPECT_EQ(firmware::FindMicomFiles(), core::ResultSuccess);
  platform.files = real;
  os::InstallPlatform(platform);

  const firmware::FirmwareState& state = firmware::Firmware();
  EXPECT_EQ(state.ImageFileCount, 10);
  EXPECT_STREQ(state.ImageFileList[0], "R0110.WPH");
  EXPECT_STREQ(state.ImageFileList[9], "R0119.wph");
  EXPECT_EQ(state.MicomFileCount, 10);
  EXPECT_EQ(LogCount("Bios File Ignored : " + std::string(256, 'N') + ".wph"), 1);
  EXPECT_EQ(LogCount("Bios File Ignored : R0121.wph"), 1);
  EXPECT_EQ(LogCount("Micom File Ignored : K20.bin"), 1);
  EXPECT_EQ(LogCount("Micom File Found : K10.bin"), 1);
  EXPECT_EQ(LogCount("Total Micom File Number : 10"), 1);
  EXPECT_EQ(Log().find("Bios File : "), std::string::npos);

  firmware::ClearImageFileList();
  EXPECT_EQ(state.ImageFileCount, 0);
  EXPECT_EQ(state.ImageFileList[0][0], '\0');
}

TEST_F(Files, NoFilesNoLists) {
  EXPECT_EQ(firmware::FindImageFiles(), core::ResultBiosFile);
  EXPECT_EQ(firmware::FindMicomFiles(), core::ResultMicomFile);
  EXPECT_EQ(Log().find("Total Micom File Number"), std::string::npos);
}

struct SelectCase {
  const char* name;
  std::vector<std::string> images, micoms;
  const char* version;  // BiosPartVersion: the key is its characters 2 and 3
  uint32_t flags;
  core::ResultCode result;
  const char* image;   // copied to "bios.wph" (null: none)
  const char* micom;   // copied to "kbc.bin"
  const char* logged;  // a line the log must hold (null: no "File :" line)
};

class Select : public Files, public ::testing::WithParamInterface<SelectCase> {};

TEST_P(Select, TakesTheFittingFilesUnderTheToolsNames) {
  const SelectCase& c = GetParam();
  for (const std::string& name : c.images) Put(name, "image " + name);
  for (const std::string& name : c.micoms) Put(name, "micom " + name);
  firmware::FindImageFiles();
  firmware::FindMicomFiles();
  std::snprintf(firmware::Firmware().CurrentFirmwareIdentity.BiosPartVersion, 32, "%s", c.version);
  core::Shared().UpdateFlags = c.flags;
  EXPECT_EQ(firmware::SelectImageFiles(), c.result);
  EXPECT_EQ(Get("bios.wph"), c.image ? "image " + std::string(c.image) : "");
  EXPECT_EQ(Get("kbc.bin"), c.micom ? "micom " + std::string(c.micom) : "");
  EXPECT_EQ(LogCount("*** Old Bios Info ***"), 1);
  EXPECT_EQ(LogCount("Bios Part Version : " + std::string(c.version)), 1);
  if (c.logged)
    EXPECT_EQ(LogCount(c.logged), 1);
  else
    EXPECT_EQ(Log().find("File : "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Select,
    ::testing::Values(
        SelectCase("a lone image and MICOM file are taken as they are", {"anything.wph"}, {"k.bin"},
                   "07HL", 0, core::ResultSuccess, "anything.wph", "k.bin", nullptr),
        SelectCase("of two, the one with the key at 2 and 3 in any case", {"01HM.WPH", "01hl.wph"},
                   {"K1HM.bin", "k1Hl.BIN"}, "07HL", 0, core::ResultSuccess, "01hl.wph", "k1Hl.BIN",
                   "Bios File : 01hl.wph"),
        SelectCase("no image fits", {"01HM.WPH", "01HN.WPH"}, {"k.bin"}, "07HL", 0,
                   core::ResultBiosFile, nullptr, nullptr, nullptr),
        SelectCase("an empty version fits no image", {"01HM.WPH", "01HN.WPH"}, {"k.bin"}, "", 0,
                   core::ResultBiosFile, nullptr, nullptr, nullptr),
        SelectCase("no MICOM file", {"a.wph"}, {}, "07HL", 0, core::ResultMicomFile, "a.wph",
                   nullptr, nullptr),
        SelectCase("no MICOM file needed", {"a.wph"}, {}, "07HL", core::SkipUpdateMicom,
                   core::ResultSuccess, "a.wph", nullptr, nullptr),
        SelectCase("a MICOM file that fits none", {"a.wph"}, {"K1HM.bin", "K1HN.bin"}, "07HL", 0,
                   core::ResultMicomFile, "a.wph", nullptr, nullptr)));

TEST_F(Files, AnImageAlreadyNamedBiosWphStaysAndAFailedCopyEndsTheRun) {
  Put("BIOS.WPH", "image BIOS.WPH");
  Put("k1HL.bin", "micom");
  Put("kbc.bin", "older");
  notebook().files().Lock("kbc.bin");
  firmware::FindImageFiles();
  firmware::FindMicomFiles();
  std::snprintf(firmware::Firmware().CurrentFirmwareIdentity.BiosPartVersion, 32, "07HL");
  EXPECT_EQ(firmware::SelectImageFiles(), core::ResultMicomFile);
  EXPECT_EQ(Get("bios.wph"), "image BIOS.WPH");
  EXPECT_EQ(Get("kbc.bin"), "older");
  notebook().files().Unlock("kbc.bin");
}

// ---- The flash-area patch of "bios.wph".

constexpr size_t kExampleSize = 1614170;

PhoenixLayout Example(std::vector<AreaRow> rows) {
  return PhoenixLayout{kExampleSize, 0x18001B, 0x18071B, 87, std::move(rows)};
}

std::vector<AreaRow> TenAreas() {
  std::vector<AreaRow> rows;
  for (uint32_t i = 0; i < 10; ++i)
    rows.push_back(
        {0x10000, 0x10000 * i + (i == 8 ? 0x4000 : 0), 0xFFF00000 + 0x10000 * i, 0x5A5A, 0x0102});
  return rows;
}

struct PatchCase {
  const char* name;
  PhoenixLayout layout;
  uint32_t flags;
  uint8_t kept;                                  // KeptAreaIndex
  std::vector<std::pair<int, AreaRow>> changes;  // entries as they must be afterwards
  int result;
};

std::vector<PatchCase> PatchCases() {
  const std::vector<AreaRow> ten = TenAreas();
  std::vector<PatchCase> cases;
  cases.push_back(PatchCase("the example: special entry 8 widened, last entry marked", Example(ten),
                            core::BreakEscd | core::FlashLastArea, 0,
                            {{8, {0x14000, 0x80000, 0xFFF7C000, 0x5A5A, 0x22}},
                             {9, {0x10000, 0x90000, 0xFFF90000, 0x5A5A, 0x22}}},
                            1));
  std::vector<AreaRow> aligned = ten;
  aligned[8].imageOffset = 0x80000;
  cases.push_back(PatchCase("an aligned special entry changes only its flags", Example(aligned),
                            core::BreakEscd, 0, {{8, {0x10000, 0x80000, 0xFFF80000, 0x5A5A, 0x22}}},
                            0));
  PatchCase dmi{
      "a DMI-only run keeps only entry KeptAreaIndex", Example(ten), core::DmiOnly, 3, {}, 0};
  for (int i = 0; i < 10; ++i) {
    AreaRow row = ten[i];
    if (i != 3) row.flags = 0;
    if (i != 3) dmi.changes.push_back({i, row});
  }
  cases.push_back(dmi);
  cases.push_back(PatchCase("DmiOnly with another bit is no DMI-only run", Example(ten),
                            core::DmiOnly | core::SkipCheckPower, 3, {}, 0));
  std::vector<AreaRow> flagged = ten;
  flagged[9].flags = 0x122;
  cases.push_back(PatchCase("the last entry's 0x122 becomes 0x22", Example(flagged),
                            core::FlashLastArea, 0,
                            {{9, {0x10000, 0x90000, 0xFFF90000, 0x5A5A, 0x22}}}, 1));
  // An entry whose only non-zero field is its flags ends the walk once a
  // DMI-only run cleared them; the reserved word does not count.
  std::vector<AreaRow> flagsOnly = {ten[0], {0, 0, 0, 0x5A5A, 0x0102}, ten[2]};
  cases.push_back(PatchCase("the walk ends on the entry as changed", Example(flagsOnly),
                            core::DmiOnly, 0, {{1, {0, 0, 0, 0x5A5A, 0}}}, 0));
  PhoenixLayout open = Example(ten);
  open.markerAt = 0x180000;
  open.tableOffset = 0x100;
  open.size = TableAt(open) + 16 * 9 + 8;  // entry 9 cut off by the end of the file
  open.terminated = false;
  cases.push_back(PatchCase("a table without terminator: nothing marked, nothing past the end",
                            open, core::BreakEscd | core::FlashLastArea, 0,
                            {{8, {0x14000, 0x80000, 0xFFF7C000, 0x5A5A, 0x22}}}, 0));
  // The entry index is 8 bits wide: the walk ends after entry 255.
  PhoenixLayout endless =
      Example(std::vector<AreaRow>(300, {0x10000, 0x80000, 0xFFF80000, 0x5A5A, 0x0102}));
  endless.markerAt = 0x180000;  // both markers before the long table
  endless.tableOffset = 0x100;
  cases.push_back(
      {"a table of more than 256 entries: nothing marked", endless, core::FlashLastArea, 0, {}, 0});
  cases.push_back(
      {"a table that ends at once has no last entry", Example({}), core::FlashLastArea, 0, {}, 0});
  PhoenixLayout small{0xC0000, 0x90000, 0x90100, 0x40, {ten[0], ten[1], ten[2]}};
  cases.push_back(PatchCase("below 1 MiB the special entry is 0", small, core::BreakEscd, 0,
                            {{0, {0x10000, 0, 0xFFF00000, 0x5A5A, 0x22}}}, 0));
  PhoenixLayout early = small;
  early.headerAt = 0x7FFF0;  // before the search starts
  cases.push_back(
      {"markers before the search's start are not seen", early, core::FlashLastArea, 0, {}, 0});
  // The search reads 0x40000 positions at a time from 1 MiB: a header whose
  // bytes straddle the first block's end is still found.
  PhoenixLayout straddling = Example(ten);
  straddling.headerAt = 0x13FFFE;
  straddling.markerAt = 0x140200;
  cases.push_back(PatchCase("a header across the search's block boundary", straddling,
                            core::FlashLastArea, 0,
                            {{9, {0x10000, 0x90000, 0xFFF90000, 0x5A5A, 0x22}}}, 1));
  PhoenixLayout cut = Example(ten);
  cut.headerAt = kExampleSize - 40;  // its 61 bytes do not fit
  cut.markerAt = 0x180000;
  cases.push_back(
      PatchCase("a header cut off by the end of the file", cut, core::FlashLastArea, 0, {}, 0));
  return cases;
}

class Patch : public Files, public ::testing::WithParamInterface<PatchCase> {};

TEST_P(Patch, ChangesExactlyTheEntriesItShould) {
  const PatchCase& c = GetParam();
  std::string expected = image_test::PhoenixImage(c.layout);
  Put("bios.wph", expected);
  Put("R0123.WPH", expected);
  core::Shared().UpdateFlags = c.flags;
  firmware::Firmware().KeptAreaIndex = c.kept;
  EXPECT_EQ(firmware::PatchFlashAreaTable(), c.result);
  for (const auto& [index, row] : c.changes)
    expected.replace(TableAt(c.layout) + 16 * index, 16, image_test::AreaBytes(row));
  const std::string patched = Get("bios.wph");
  ASSERT_EQ(patched.size(), expected.size());
  EXPECT_TRUE(patched == expected);
  EXPECT_EQ(Get("R0123.WPH"), image_test::PhoenixImage(c.layout));  // the package's file stays
}

INSTANTIATE_TEST_SUITE_P(Cases, Patch, ::testing::ValuesIn(PatchCases()));

TEST_F(Files, WithoutItsFlagsOrItsFileThePatchDoesNothing) {
  const std::string image = image_test::PhoenixImage(Example(TenAreas()));
  Put("bios.wph", image);
  core::Shared().UpdateFlags = core::SkipCheckPower;
  EXPECT_EQ(firmware::PatchFlashAreaTable(), 0);
  notebook().files().Lock("bios.wph");  // cannot be opened for writing
  core::Shared().UpdateFlags = core::FlashLastArea;
  EXPECT_EQ(firmware::PatchFlashAreaTable(), 0);
  notebook().files().Unlock("bios.wph");
  EXPECT_TRUE(Get("bios.wph") == image);
}

// ---- "newSys.bin" after a refused flash.

TEST_F(Files, NewSystemFileGivesModelPartAndTheKeptEntry) {
  struct Row {
    size_t size;
    image_test::NewSystemBlocks blocks;
    core::ResultCode result;
    uint8_t kept;
  };
  const Row rows[] = {
      {0x100000, {0x1000, 0x2001, 0x3002, 0x4003}, core::ResultSuccess, 10},
      {0x80000, {0x1000, 0x2001, 0x3002, 0x4003}, core::ResultSuccess, 2},    // counted from 1 MiB
      {0x90000, {0x1000, 0x2001, 0x3002, 0x7FFD8}, core::ResultBiosFile, 0},  // past the scan
      {0x4080,
       {0x1000, 0x2001, 0x3002, 0x4080 - 100},
       core::ResultBiosFile,
       0},  // word past the end
  };
  for (const Row& row : rows) {
    SetUp();
    SCOPED_TRACE(row.blocks.sysAt);
    Put("newSys.bin", image_test::NewSystemFile(row.size, row.blocks));
    EXPECT_EQ(firmware::ReadNewSystemIdentity("newSys.bin"), row.result);
    EXPECT_STREQ(firmware::Firmware().NewModelNumber, "NP90");
    EXPECT_STREQ(firmware::Firmware().NewPartNumber, "BA4");
    EXPECT_EQ(firmware::Firmware().KeptAreaIndex, row.kept);
  }
  SetUp();
  EXPECT_EQ(firmware::ReadNewSystemIdentity("newSys.bin"), core::ResultBiosFile);
}

// ---- The AMI path's checks of "bios.rom" against the firmware's "  0812xx".

struct AmiCase {
  const char* name;
  std::string rom;  // empty: no file
  core::ResultCode result;
  const char* newPart;  // NewPartNumber afterwards
};

class AmiCheck : public Files, public ::testing::WithParamInterface<AmiCase> {};

TEST_P(AmiCheck, VersionThenPartNumber) {
  BootFirmware(nullptr, [](nlohmann::json& j) {
    j["hardware"]["amiBios"] = {{"address", "0xF2223"}, {"version", "  0812xx"}};
  });
  if (!GetParam().rom.empty()) Put("bios.rom", GetParam().rom);
  EXPECT_EQ(firmware::CheckAmiImage(), GetParam().result);
  EXPECT_STREQ(firmware::Firmware().NewPartNumber, GetParam().newPart);
  EXPECT_EQ(notebook().devices().OpenHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AmiCheck,
    ::testing::Values(
        AmiCase{"the same version passes", image_test::AmiImage(0x2000, 0x333, "BA4", "00000812"),
                core::ResultSuccess, ""},
        AmiCase{"a newer one too", image_test::AmiImage(0x2000, 0x333, "BA4", "813"),
                core::ResultSuccess, ""},
        AmiCase{"an older one is refused", image_test::AmiImage(0x2000, 0x333, "BA4", "811"),
                core::ResultBiosDate, ""},
        AmiCase{"another part number", image_test::AmiImage(0x2000, 0x333, "BA5", "900"),
                core::ResultModelMismatch, "BA5"},
        AmiCase{"no record", std::string(0x2000, '\x11'), core::ResultBiosFile, ""},
        AmiCase{"a record cut off by the end",
                image_test::AmiImage(0x2000, 0x2000 - 59, "BA4", "9"), core::ResultBiosFile, ""},
        AmiCase{"no file", "", core::ResultBiosFile, ""}));

TEST_F(Files, WithoutTheAmiBlockTheInstalledVersionCannotBeRead) {
  Put("bios.rom", image_test::AmiImage(0x2000, 0x333, "BA4", "900"));
  EXPECT_EQ(firmware::CheckAmiImage(), core::ResultDriverLoad);
  EXPECT_EQ(firmware::ReadAmiImageVersion("bios.rom"), 900u);
  char part[4] = "old";
  EXPECT_EQ(firmware::ReadAmiImagePartNumber("missing.rom", part), firmware::kSignatureMissing);
  EXPECT_STREQ(part, "old");
}

}  // namespace
}  // namespace identity_test
