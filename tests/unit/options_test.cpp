#include "app/options.h"

#include <gtest/gtest.h>

#include <string>

#include "app/sequence_state.h"
#include "core/shared_state.h"
#include "core/update_flags.h"

namespace {

using namespace app;
using namespace core;

// Parses `text` after a package header word of `header`.
struct Parsed {
  ResultCode result;
  std::string flash, micom, rest;
  uint32_t flags;
};

Parsed Phoenix(std::string text, uint32_t header = FlashLastArea) {
  ResetRunState();
  core::Shared().UpdateFlags = header;
  char micom[kCommandLineSize], flash[kCommandLineSize];
  std::string buffer = text;
  ResultCode r = ParseOptions(micom, flash, buffer.data());
  return {r, flash, micom, buffer.c_str(), core::Shared().UpdateFlags};
}

Parsed Ami(std::string text, bool wide) {
  ResetRunState();
  char micom[kCommandLineSize], flash[kCommandLineSize];
  std::string buffer = text;
  ResultCode r = ParseAmiOptions(micom, flash, buffer.data(), wide);
  return {r, flash, micom, buffer.c_str(), core::Shared().UpdateFlags};
}

TEST(ParseOptions, EmptyLineKeepsHeaderWordAndDefaults) {
  const Parsed p = Phoenix("   ");
  EXPECT_EQ(p.result, ResultSuccess);
  EXPECT_EQ(p.flags, FlashLastArea);
  EXPECT_EQ(p.flash, "SWinFlash bios.wph /P");
  EXPECT_EQ(p.micom, "WinUpV01_10 kbc.bin /FORCE");
}

TEST(ParseOptions, ExactRowsAreCaseInsensitiveButExact) {
  EXPECT_EQ(Phoenix("/mforce").micom, "WinUpV01_10 kbc.bin /FORCE /FORCE");
  EXPECT_EQ(Phoenix("-MFORCE").micom, "WinUpV01_10 kbc.bin /FORCE /FORCE");
  EXPECT_EQ(Phoenix("-mserial /MAUTO").micom, "WinUpV01_10 kbc.bin /FORCE /SERIAL /A");
  EXPECT_EQ(Phoenix("/MFORCEX").result, ResultInvalidOption);
}

TEST(ParseOptions, PrefixRowsAcceptLongerTokens) {
  EXPECT_EQ(Phoenix("/BLOCK_POWER_OFFX").flags, FlashLastArea | BlockPowerOff);
  EXPECT_EQ(Phoenix("/bblx").flash, "SWinFlash bios.wph /P /BBL");
  // The two BREAK rows compare 10 of their 11 characters.
  EXPECT_EQ(Phoenix("/BREAK_CMOZ").flash, "SWinFlash bios.wph /P /C");
  EXPECT_EQ(Phoenix("-BREAK_ESC").flags, FlashLastArea | BreakEscd);
  EXPECT_EQ(Phoenix("/BREAK_CM").result, ResultInvalidOption);
}

TEST(ParseOptions, ModeAppendsTheTokenAndReadsItsSeventhCharacter) {
  const Parsed two = Phoenix("/mode=2");
  EXPECT_EQ(two.flash, "SWinFlash bios.wph /P /MODE=2");
  EXPECT_EQ(two.flags, FlashLastArea | DmiMode2);
  EXPECT_EQ(Phoenix("/MODE=3").flags, FlashLastArea | DmiMode3);
  EXPECT_EQ(Phoenix("-MODE:1").flags, FlashLastArea | DmiMode1);
  const Parsed bare = Phoenix("/MODE");
  EXPECT_EQ(bare.flash, "SWinFlash bios.wph /P /MODE");
  EXPECT_EQ(bare.flags, FlashLastArea);
}

TEST(ParseOptions, EveryFlagOptionSetsItsBit) {
  const struct {
    const char* option;
    uint32_t bits;
  } rows[] = {
      {"/SKIP_CHECK_PART", SkipCheckPart},     {"/SKIP_CHECK_MODEL", SkipCheckModel},
      {"/SKIP_UPDATE_MICOM", SkipUpdateMicom}, {"/NO_MESSAGEBOX", NoMessageBox},
      {"/SKIP_UPDATE_FILES", SkipUpdateFiles}, {"/SKIP_CHECK_DATE", SkipCheckDate},
      {"/SKIP_CHECK_POWER", SkipCheckPower},   {"/VISTA_UPGRADE", 0x00020021},
      {"-BLOCK_POWER_OFF", BlockPowerOff},
  };
  for (const auto& row : rows) EXPECT_EQ(Phoenix(row.option, 0).flags, row.bits) << row.option;
}

TEST(ParseOptions, ReadBiosAssignsAloneAndStopsTheParse) {
  const Parsed p = Phoenix("/BBL /READ_BIOS /NOT_AN_OPTION", FlashLastArea | NoMessageBox);
  EXPECT_EQ(p.result, ResultSuccess);
  EXPECT_EQ(p.flags, ReadBios);
  EXPECT_EQ(p.rest, "/NOT_AN_OPTION");
  EXPECT_EQ(Phoenix("/NOT_AN_OPTION /READ_BIOS").result, ResultInvalidOption);
}

TEST(ParseOptions, AnUnknownTokenStopsButKeepsEarlierEffects) {
  const Parsed p = Phoenix("/BBL bogus /BREAK_CMOS");
  EXPECT_EQ(p.result, ResultInvalidOption);
  EXPECT_EQ(p.flash, "SWinFlash bios.wph /P /BBL");
}

TEST(ParseOptions, TokensAreConsumedFromTheText) {
  const Parsed p = Phoenix("\t/BBL   /BBL  ");
  EXPECT_EQ(p.flash, "SWinFlash bios.wph /P /BBL /BBL");
  EXPECT_EQ(p.rest, "");
}

TEST(ParseOptions, RefusesWhatWouldNotFitInsteadOfCutting) {
  // A 256-character token cannot be held.
  EXPECT_EQ(Phoenix("/MODE=" + std::string(250, 'A')).result, ResultInvalidOption);
  // 255 characters are a legal token; appending it to the flash line would overflow.
  const Parsed tooLong = Phoenix("/MODE=" + std::string(249, 'A'));
  EXPECT_EQ(tooLong.result, ResultInvalidOption);
  EXPECT_EQ(tooLong.flash, "SWinFlash bios.wph /P");
  // Repeated appends: 21 default characters and 46 times " /BBL" make 251.
  std::string many;
  for (int i = 0; i < 46; ++i) many += "/BBL ";
  const Parsed fits = Phoenix(many);
  EXPECT_EQ(fits.result, ResultSuccess);
  EXPECT_EQ(fits.flash.size(), 251u);
  const Parsed overflow = Phoenix(many + "/BBL");
  EXPECT_EQ(overflow.result, ResultInvalidOption);
  EXPECT_EQ(overflow.flash.size(), 251u);
}

TEST(ParseAmiOptions, OnlyMicomOptionsAndTheWidthDefault) {
  const Parsed narrow = Ami("/mforce /MSERIAL", false);
  EXPECT_EQ(narrow.result, ResultSuccess);
  EXPECT_EQ(narrow.flash, "afuwin bios.rom /p /b /n /e /r");
  EXPECT_EQ(narrow.micom, "WinUpV01_10 kbc.bin /FORCE /FORCE /SERIAL");
  EXPECT_EQ(Ami("", true).flash, "afuwinx64 bios.rom /p /b /n /e /r");
  EXPECT_EQ(Ami("/BBL", true).result, ResultInvalidOption);
  const Parsed readBios = Ami("/READ_BIOS", false);
  EXPECT_EQ(readBios.result, ResultInvalidOption);
  EXPECT_EQ(readBios.flags, 0u);
}

}  // namespace
