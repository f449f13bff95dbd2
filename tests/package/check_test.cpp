// orvpack check, run as a program: on a package that can update every
// machine it is meant for, and on packages that each carry one fault a
// release engineer can make. Also holds the check's list of language
// libraries to the updater's own choice of library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <functional>
#include <set>

#include "core/update_flags.h"
#include "language_libraries.h"
#include "package/package_bytes.h"
#include "package/resource_library.h"
#include "support/image_files.h"
#include "ui/language.h"

namespace testing_package {
namespace {

using ::testing::HasSubstr;

using Payload = std::vector<std::pair<std::string, std::string>>;

// 1.5 MiB: the header at 0x10001B, its table at 0x100072 (nine areas), the
// marker far behind at 0x18071B, so that the table is read after the search
// has gone past it.
std::string PhoenixImage(size_t areas = 9, bool terminated = true) {
  image_test::PhoenixLayout layout{1614170, 0x10001B, 0x18071B, 87, {}, terminated};
  for (uint32_t i = 0; i < areas; ++i)
    layout.rows.push_back({0x10000, 0x80000 + 0x10000 * i, 0xFFF80000 + 0x10000 * i, 0, 0x22});
  return image_test::PhoenixImage(layout);
}

// Its "$FID" record begins in the last position of the first 64 KiB block
// the check reads and ends where the file ends.
std::string AmiImage(const std::string& version = "00000102") {
  return image_test::AmiImage(0xFFFF + 60, 0xFFFF, "BA4", version);
}

std::string Program(const std::string& what) {
  return "MZ" + std::string(64, '\0') + what;
}

Payload GoodPayload() {
  Payload p = {{"AddMem.sys", Program("driver")}, {"R0123.WPH", PhoenixImage()},
               {"bios.rom", AmiImage()},          {"K0123.bin", "MICOM image"},
               {"WinUpV01_10.exe", Program("")},  {"PHLASH_32.INI", "[settings]"},
               {"PHLASH_64.INI", "[settings]"}};
  for (const char* name :
       {"SWinFlash_32.exe", "PhlashNT_32.sys", "PhlashLc_32.dll", "SWinFlash_64.exe",
        "PhlashNT_64.sys", "PhlashLc_64.dll", "AFUWIN.exe", "afuwinx64.exe", "amifldrv32.sys",
        "amifldrv64.sys", "amifldrv.vxd", "mfc42.dll", "msvcp60.dll", "msvcrt.dll"})
    p.push_back({name, Program(name)});
  const std::string library = LanguageLibrary();
  for (const orvpack::LanguageLibrary& language : orvpack::kLanguageLibraries)
    for (const bool ami : {false, true})
      p.push_back({orvpack::LanguageLibraryName(language, ami), library});
  return p;
}

void Remove(Payload& p, const std::string& name) {
  std::erase_if(p, [&](const auto& member) { return member.first == name; });
}
void Put(Payload& p, const std::string& name, const std::string& data) {
  for (auto& member : p)
    if (member.first == name) {
      member.second = data;
      return;
    }
  p.push_back({name, data});
}

std::string LibraryWith(uint32_t id, const std::u16string& text) {
  LibraryContents contents;
  contents.texts[id] = text;
  return LanguageLibrary(contents);
}

// Members are gzipped once per content.
std::string Gzipped(const std::string& data) {
  static std::map<std::string, std::string> done;
  auto [at, added] = done.try_emplace(data);
  if (added) at->second = Gzip(data);
  return at->second;
}

struct CheckRun {
  int exitCode = -1;
  std::string out;
};

class CheckTest : public ::testing::Test {
 protected:
  CheckRun Check(const Payload& payload, uint32_t flags = core::FlashLastArea,
                 const std::function<void(std::vector<std::string>&)>& records = {}) {
    std::vector<std::string> built;
    for (const auto& [name, data] : payload) built.push_back(Record(name + ".gz", Gzipped(data)));
    if (records) records(built);
    const std::string package = scratch_.path() + "/package.exe";
    const std::string out = scratch_.path() + "/check.txt";
    EXPECT_TRUE(WriteHostFile(package, Package(Archive(flags, built))));
    const std::string command =
        std::string("'") + ORVPACK_PATH + "' check '" + package + "' >'" + out + "' 2>&1";
    const int status = std::system(command.c_str());
    CheckRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ReadHostFile(out, &run.out);
    return run;
  }

  ScratchFolder scratch_;
};

TEST_F(CheckTest, AGoodPackageIsCleanAndItsImagesAreReadAsTheUpdaterReadsThem) {
  const CheckRun run = Check(GoodPayload());
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_THAT(run.out, HasSubstr("package.exe: OK: no error or warning"));
  EXPECT_THAT(run.out, HasSubstr("flags word 0x00000008 FlashLastArea"));
  EXPECT_THAT(run.out, HasSubstr("Phoenix firmware: \"R0123.WPH\": 1614170 bytes, the "
                                 "flash-area table at 0x100072, 9 entries; FlashLastArea "
                                 "selects entry 8"));
  EXPECT_THAT(run.out, HasSubstr("AMI firmware: \"bios.rom\": the \"$FID\" record at 0xFFFF: "
                                 "part number \"BA4\", version 102"));
}

struct Fault {
  const char* what;
  std::function<void(Payload&, uint32_t&)> make;
  int exitCode;
  const char* expected;
  const char* alsoExpected = "";
};

const Fault kFaults[] = {
    // Firmware images.
    {"no image", [](Payload& p, uint32_t&) { Remove(p, "R0123.WPH"), Remove(p, "bios.rom"); }, 1,
     "ERROR: every machine: no firmware image"},
    {"an image without a table",
     [](Payload& p, uint32_t&) { Put(p, "R0123.WPH", std::string(0x100000, 'x')); }, 1,
     "ERROR: Phoenix firmware: \"R0123.WPH\": no flash-area table"},
    {"a table without terminator",
     [](Payload& p, uint32_t&) { Put(p, "R0123.WPH", PhoenixImage(9, false)); }, 1,
     "0x100072 has no terminator among its 256 entries"},
    {"a table cut off by the end of the file",
     [](Payload& p, uint32_t&) {
       const image_test::PhoenixLayout cut{0x180100, 0x18001B, 0x180000, 0x70, {}, false};
       Put(p, "R0123.WPH", image_test::PhoenixImage(cut));
     },
     1, "0x180070 runs to the end of the file without a terminator"},
    {"an empty table", [](Payload& p, uint32_t&) { Put(p, "R0123.WPH", PhoenixImage(0)); }, 1,
     "0x100072 is empty"},
    {"BreakEscd without an ESCD entry",
     [](Payload& p, uint32_t& flags) {
       Put(p, "R0123.WPH", PhoenixImage(7));
       flags |= core::BreakEscd;
     },
     4, "WARNING: Phoenix firmware: \"R0123.WPH\": BreakEscd adjusts entry 8"},
    {"BreakEscd on the terminator",
     [](Payload& p, uint32_t& flags) {
       Put(p, "R0123.WPH", PhoenixImage(8));
       flags |= core::BreakEscd;
     },
     1,
     "ERROR: Phoenix firmware: \"R0123.WPH\": the patch for FlashLastArea|BreakEscd changes "
     "where the flash-area table at 0x100072 (8 entries) ends"},
    {"DmiOnly on an entry of flags alone",
     [](Payload& p, uint32_t& flags) {
       image_test::PhoenixLayout layout{1614170, 0x10001B, 0x18071B, 87, {}, true};
       for (uint32_t i = 0; i < 9; ++i)
         layout.rows.push_back({i == 3 ? 0 : 0x10000u, i == 3 ? 0 : 0x10000 * i, 0, 0, 0x22});
       Put(p, "R0123.WPH", image_test::PhoenixImage(layout));
       flags = core::DmiOnly;
     },
     1, "(9 entries) ends: its walk stops at entry 3 and leaves the entries behind it"},
    {"two images for one version",
     [](Payload& p, uint32_t&) { Put(p, "X0124.wph", PhoenixImage()); }, 4,
     "\"R0123.WPH\" and \"X0124.wph\" share characters 2 and 3 (\"12\")"},
    {"a second image of the same name",
     [](Payload& p, uint32_t&) {
       p.push_back({"r0123.wph", "not an image"});
     },
     1,
     "\"r0123.wph\": no flash-area table: no \"ZFLPF\" header (61 bytes) and \"ZQDS\" marker "
     "from 0x80000 on",
     "2 errors, 0 warnings"},
    {"a bios.rom without record",
     [](Payload& p, uint32_t&) { Put(p, "bios.rom", std::string(0x1000, '$')); }, 1,
     "ERROR: AMI firmware: \"bios.rom\" has no \"$FID\" record"},
    {"a bios.rom of version 0", [](Payload& p, uint32_t&) { Put(p, "bios.rom", AmiImage("0")); }, 1,
     "the version in the \"$FID\" record at 0xFFFF reads as 0"},
    // Flash tools and MICOM.
    {"no 64-bit Phoenix tool", [](Payload& p, uint32_t&) { Remove(p, "SWinFlash_64.exe"); }, 1,
     "ERROR: Phoenix firmware, 64-bit Windows: \"SWinFlash_64.exe\" (the flash tool) is missing"},
    {"no 32-bit Phoenix driver", [](Payload& p, uint32_t&) { Remove(p, "PhlashNT_32.sys"); }, 1,
     "ERROR: Phoenix firmware, 32-bit Windows: \"PhlashNT_32.sys\" (the flash tool's driver)"},
    {"a placeholder for a tool",
     [](Payload& p, uint32_t&) { Put(p, "afuwinx64.exe", "placeholder"); }, 1,
     "ERROR: AMI firmware, 64-bit Windows: \"afuwinx64.exe\" (the flash tool) does not begin "
     "with \"MZ\""},
    {"no 9x AMI driver", [](Payload& p, uint32_t&) { Remove(p, "amifldrv.vxd"); }, 1,
     "ERROR: AMI firmware, Windows 98/ME: \"amifldrv.vxd\""},
    {"a member under a working name",
     [](Payload& p, uint32_t&) { Put(p, "phlash.ini", "[settings]"); }, 1,
     "\"phlash.ini\", the name PHLASH_32.INI or PHLASH_64.INI is renamed to"},
    {"a newSys.bin", [](Payload& p, uint32_t&) { Put(p, "newSys.bin", "report"); }, 1,
     "becomes \"newSys.bin\""},
    {"no runtime library", [](Payload& p, uint32_t&) { Remove(p, "mfc42.dll"); }, 4,
     "WARNING: Phoenix firmware: \"mfc42.dll\""},
    {"no MICOM image", [](Payload& p, uint32_t&) { Remove(p, "K0123.bin"); }, 1,
     "ERROR: Phoenix firmware, controllers other than vendor 'M': no MICOM image"},
    {"an empty MICOM image", [](Payload& p, uint32_t&) { Put(p, "K0123.bin", ""); }, 1,
     "\"K0123.bin\" is empty"},
    {"no MICOM tool", [](Payload& p, uint32_t&) { Remove(p, "WinUpV01_10.exe"); }, 1,
     "\"WinUpV01_10.exe\" (the MICOM tool) is missing"},
    // The legacy driver.
    {"no AddMem.sys", [](Payload& p, uint32_t&) { Remove(p, "AddMem.sys"); }, 1,
     "ERROR: every Windows but Vista and 7: no \"AddMem.sys\""},
    {"an older AddMem.sys first",
     [](Payload& p, uint32_t&) {
       p.insert(p.begin(), {"AddMem.sys.old", Program("old")});
     },
     1, "takes the first member whose name begins with it, \"AddMem.sys.old.gz\""},
    // Language libraries.
    {"no English library", [](Payload& p, uint32_t&) { Remove(p, "ConResEn.dll"); }, 4,
     "WARNING: Phoenix firmware, English systems and those of every language without a "
     "library: no \"ConResEn.dll\""},
    {"no French AMI library", [](Payload& p, uint32_t&) { Remove(p, "ConResFr_ami.dll"); }, 1,
     "ERROR: AMI firmware, French systems: no \"ConResFr_ami.dll\""},
    {"a German backup first",
     [](Payload& p, uint32_t&) {
       p.insert(p.begin(), {"ConResGr.dll.bak", LanguageLibrary()});
     },
     1, "\"ConResGr.dll\" takes the first member whose name begins with it"},
    {"a placeholder library", [](Payload& p, uint32_t&) { Put(p, "ConResKr.dll", "MZ only"); }, 1,
     "ERROR: Phoenix firmware, Korean systems: \"ConResKr.dll\" is no Windows library"},
    {"a missing text",
     [](Payload& p, uint32_t&) {
       LibraryContents contents;
       contents.texts.erase(30);
       contents.texts.erase(39);
       Put(p, "ConResPo.dll", LanguageLibrary(contents));
     },
     1, "\"ConResPo.dll\": no text 30, 39: the updater shows an empty text"},
    {"text 21 with two strings",
     [](Payload& p, uint32_t&) { Put(p, "ConResSp.dll", LibraryWith(21, u"Modelo %s (%s)")); }, 1,
     "text 21 (ModelMismatch) takes 2 arguments (string, string) where the updater passes 4 "
     "arguments (string, string, string, string)"},
    {"text 22 with a string",
     [](Payload& p, uint32_t&) { Put(p, "ConResRu.dll", LibraryWith(22, u"%s MB / %d MB")); }, 1,
     "text 22 (DiskSpace) takes 2 arguments (string, integer) where the updater passes 2 "
     "arguments (integer, integer)"},
    {"a conversion in a text without arguments",
     [](Payload& p, uint32_t&) { Put(p, "ConResFr.dll", LibraryWith(30, u"BIOS %d invalide")); }, 1,
     "text 30 (InvalidBiosFile) takes 1 argument (integer) where the updater passes no "
     "argument"},
    {"a lone percent sign",
     [](Payload& p, uint32_t&) { Put(p, "ConResGr.dll", LibraryWith(37, u"unter 30%. Akku")); }, 4,
     "WARNING: Phoenix firmware, German systems: \"ConResGr.dll\": text 37 (NoPowerSource) "
     "has a '%' that starts no conversion"},
    {"a text cut by its buffer",
     [](Payload& p, uint32_t&) {
       Put(p, "ConResFr.dll", LibraryWith(16, std::u16string(600, u'x')));
     },
     4, "text 16 (StartupWarning) takes 600 bytes; the updater loads at most 511"},
    {"double-byte characters past the buffer",
     [](Payload& p, uint32_t&) {
       const std::string library =
           LibraryWith(21, std::u16string(125, u'\u6A21') + u"%s(%s) %s(%s)");
       for (const char* name : {"ConResChs.dll", "ConResCht.dll", "ConResKr.dll", "ConResGr.dll"})
         Put(p, name, library);
     },
     1, "3 errors, 3 warnings"},
    {"a string block that ends inside a string",
     [](Payload& p, uint32_t&) {
       // The first string claims 100 characters; other data follows the block.
       const std::string block = std::string(1, 100) + '\0' + "ab";
       Put(p, "ConResRu_ami.dll",
           ResourceLibrary({{6, 1, 1033, block}, {10, 1, 1033, std::string(512, '\0')}}));
     },
     1, "\"ConResRu_ami.dll\": string block 1 (language 1033) ends inside a string"},
    {"no progress dialog",
     [](Payload& p, uint32_t&) {
       LibraryContents contents;
       contents.dialogs = {116};
       Put(p, "ConResCht_ami.dll", LanguageLibrary(contents));
     },
     1,
     "ERROR: AMI firmware, Chinese (Traditional) systems: \"ConResCht_ami.dll\": dialog 117 is "
     "missing: the progress dialog cannot open"},
    {"no DMI dialog in a DMI-only package",
     [](Payload& p, uint32_t& flags) {
       LibraryContents contents;
       contents.dialogs = {117};
       Put(p, "ConResEn.dll", LanguageLibrary(contents));
       flags = core::DmiOnly;
     },
     1, "\"ConResEn.dll\": dialog 116 is missing: the DMI dialog cannot open"},
    {"no logo",
     [](Payload& p, uint32_t&) {
       LibraryContents contents;
       contents.bitmaps = {115};
       Put(p, "ConResEn_ami.dll", LanguageLibrary(contents));
     },
     4, "\"ConResEn_ami.dll\": dialog 117 shows bitmap 113, which is missing"},
    // The flags word.
    {"a bit without a meaning", [](Payload&, uint32_t& flags) { flags |= 0x00400000; }, 4,
     "the bits 0x00400000 of the flags word have no meaning"},
    {"a bit no step reads", [](Payload&, uint32_t& flags) { flags |= core::SkipCheckModel; }, 4,
     "WARNING: every machine: SkipCheckModel has no effect"},
    {"DmiOnly with another bit", [](Payload&, uint32_t& flags) { flags |= core::DmiOnly; }, 4,
     "DmiOnly with FlashLastArea: the flash-area patch excludes areas only for DmiOnly alone"},
    {"ReadBios", [](Payload&, uint32_t& flags) { flags |= core::ReadBios; }, 4,
     "ReadBios: every run dumps the installed firmware"},
    {"SkipUpdateMicom",
     [](Payload& p, uint32_t& flags) {
       Remove(p, "K0123.bin");
       flags |= core::SkipUpdateMicom;
     },
     4, "SkipUpdateMicom also ends every run without \"Update Complete\""},
};

TEST_F(CheckTest, FindsEveryPackagingFault) {
  for (const Fault& fault : kFaults) {
    SCOPED_TRACE(fault.what);
    Payload payload = GoodPayload();
    uint32_t flags = core::FlashLastArea;
    fault.make(payload, flags);
    const CheckRun run = Check(payload, flags);
    EXPECT_EQ(run.exitCode, fault.exitCode) << run.out;
    EXPECT_THAT(run.out, HasSubstr(fault.expected)) << run.out;
    EXPECT_THAT(run.out, HasSubstr(fault.alsoExpected)) << run.out;
  }
}

TEST_F(CheckTest, ReportsTheArchiveFaultsVerifyFindsAndReadsNoFurtherIntoThem) {
  const CheckRun run = Check(GoodPayload(), core::FlashLastArea, [](auto& records) {
    std::string& image = records[1];  // R0123.WPH: a flipped byte in its CRC-32
    image[image.size() - 8] = static_cast<char>(image[image.size() - 8] ^ 1);
  });
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.out, HasSubstr("ERROR: every machine: member 2 \"R0123.WPH.gz\": damaged gzip"));
  EXPECT_THAT(run.out, HasSubstr(": 1 error, 0 warnings"));
}

TEST(LanguageLibraries, AreTheOnesTheUpdaterChooses) {
  std::set<std::string> chosen, listed;
  for (const orvpack::LanguageLibrary& library : orvpack::kLanguageLibraries)
    listed.insert(library.code);
  for (uint32_t id = 0; id <= 0xFFFF; ++id) {
    const uint16_t language = static_cast<uint16_t>(id);
    chosen.insert(ui::LanguageCode(language));
    for (const orvpack::LanguageLibrary& library : orvpack::kLanguageLibraries) {
      if (ui::LanguageCode(language) != std::string(library.code)) continue;
      for (const bool ami : {false, true})
        ASSERT_EQ(orvpack::LanguageLibraryName(library, ami),
                  ui::LanguageLibraryName(language, ami));
    }
  }
  EXPECT_EQ(chosen, listed);
}

}  // namespace
}  // namespace testing_package
