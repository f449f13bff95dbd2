#include "app/options.h"

#include <gtest/gtest.h>

#include <string>

#include "app/sequence_state.h"
#include "core/shared_state.h"
#include "core/update_flags.h"

namespace {

using namespace core;

const std::string kFlash = "SWinFlash bios.wph /P", kMicom = "WinUpV01_10 kbc.bin /FORCE";
const std::string kAmi32 = "afuwin bios.rom /p /b /n /e /r";
const std::string kAmi64 = "afuwinx64 bios.rom /p /b /n /e /r";

// One parse: the text after a package header word; what it must give. Every
// field is checked in every row.
struct Row {
  std::string text;
  uint32_t header = FlashLastArea;
  ResultCode result = ResultSuccess;
  std::string flash = kFlash, micom = kMicom;
  uint32_t flags = FlashLastArea;
  std::string rest = "";  // the text left unread
  int ami = 0;            // 1: the AMI path's parser on 32-bit Windows, 2: on 64-bit
};

std::string Times(int n, const std::string& text) {
  std::string all;
  for (int i = 0; i < n; ++i) all += text;
  return all;
}

TEST(ParseOptions, EveryRowAndWhatDoesNotFit) {
  const std::string bbl46 = Times(46, "/BBL ");  // 21 + 46 * 5 = 251 characters of flash line
  const Row rows[] = {
      {.text = "   "},
      // Exact rows: any letter case, either lead character, nothing more.
      {.text = "/mforce", .micom = kMicom + " /FORCE"},
      {.text = "-MFORCE", .micom = kMicom + " /FORCE"},
      {.text = "-mserial /MAUTO", .micom = kMicom + " /SERIAL /A"},
      {.text = "/MFORCEX", .result = ResultInvalidOption},
      // Prefix rows accept longer tokens; the BREAK rows compare 10 of 11 characters.
      {.text = "/BLOCK_POWER_OFFX", .flags = FlashLastArea | BlockPowerOff},
      {.text = "/bblx", .flash = kFlash + " /BBL"},
      {.text = "/BREAK_CMOZ", .flash = kFlash + " /C"},
      {.text = "-BREAK_ESC", .flags = FlashLastArea | BreakEscd},
      {.text = "/BREAK_CM", .result = ResultInvalidOption},
      // The mode token is appended whole; its seventh character picks the mode.
      {.text = "/mode=2", .flash = kFlash + " /MODE=2", .flags = FlashLastArea | DmiMode2},
      {.text = "/MODE=3", .flash = kFlash + " /MODE=3", .flags = FlashLastArea | DmiMode3},
      {.text = "-MODE:1", .flash = kFlash + " -MODE:1", .flags = FlashLastArea | DmiMode1},
      {.text = "/MODE", .flash = kFlash + " /MODE"},
      // Every flag option sets its bits.
      {.text = "/SKIP_CHECK_PART", .header = 0, .flags = SkipCheckPart},
      {.text = "/SKIP_CHECK_MODEL", .header = 0, .flags = SkipCheckModel},
      {.text = "/SKIP_UPDATE_MICOM", .header = 0, .flags = SkipUpdateMicom},
      {.text = "/NO_MESSAGEBOX", .header = 0, .flags = NoMessageBox},
      {.text = "/SKIP_UPDATE_FILES", .header = 0, .flags = SkipUpdateFiles},
      {.text = "/SKIP_CHECK_DATE", .header = 0, .flags = SkipCheckDate},
      {.text = "/SKIP_CHECK_POWER", .header = 0, .flags = SkipCheckPower},
      {.text = "/VISTA_UPGRADE", .header = 0, .flags = 0x00020021},
      {.text = "-BLOCK_POWER_OFF", .header = 0, .flags = BlockPowerOff},
      // Read-BIOS replaces the whole word and stops the parse.
      {.text = "/BBL /READ_BIOS /NOT_AN_OPTION",
       .header = FlashLastArea | NoMessageBox,
       .flash = kFlash + " /BBL",
       .flags = ReadBios,
       .rest = "/NOT_AN_OPTION"},
      {.text = "/NOT_AN_OPTION /READ_BIOS", .result = ResultInvalidOption, .rest = "/READ_BIOS"},
      // An unknown token stops the parse; earlier effects stay.
      {.text = "/BBL bogus /BREAK_CMOS",
       .result = ResultInvalidOption,
       .flash = kFlash + " /BBL",
       .rest = "/BREAK_CMOS"},
      {.text = "\t/BBL   /BBL  ", .flash = kFlash + " /BBL /BBL"},
      // Refused, never cut: a 256-character token; a token of 255 the flash
      // line has no room for; one append too many.
      {.text = "/MODE=" + std::string(250, 'A'), .result = ResultInvalidOption},
      {.text = "/MODE=" + std::string(249, 'A'), .result = ResultInvalidOption},
      {.text = bbl46, .flash = kFlash + Times(46, " /BBL")},
      {.text = bbl46 + "/BBL", .result = ResultInvalidOption, .flash = kFlash + Times(46, " /BBL")},
      // The AMI path: only the MICOM options, the flash default by width.
      {.text = "/mforce /MSERIAL",
       .header = 0,
       .flash = kAmi32,
       .micom = kMicom + " /FORCE /SERIAL",
       .flags = 0,
       .ami = 1},
      {.text = "", .header = 0, .flash = kAmi64, .flags = 0, .ami = 2},
      {.text = "/BBL",
       .header = 0,
       .result = ResultInvalidOption,
       .flash = kAmi64,
       .flags = 0,
       .ami = 2},
      {.text = "/READ_BIOS",
       .header = 0,
       .result = ResultInvalidOption,
       .flash = kAmi32,
       .flags = 0,
       .ami = 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    app::ResetRunState();
    Shared().UpdateFlags = row.header;
    char micom[kCommandLineSize], flash[kCommandLineSize];
    std::string text = row.text;
    const ResultCode result = row.ami
                                  ? app::ParseAmiOptions(micom, flash, text.data(), row.ami == 2)
                                  : app::ParseOptions(micom, flash, text.data());
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(flash, row.flash);
    EXPECT_EQ(micom, row.micom);
    EXPECT_EQ(Shared().UpdateFlags, row.flags);
    if (row.result == ResultSuccess || !row.rest.empty()) {
      EXPECT_EQ(std::string(text.c_str()), row.rest);
    }
  }
}

}  // namespace
