// What a whole update does along the way: the order of its steps as the
// user and the machine see them, the tools' command lines, the controller
// armed the way its vendor asks, the CMOS, the firmware dump, %TEMP%.
#include "core/results.h"
#include "core/update_flags.h"
#include "hw/hardware_state.h"
#include "os/sim/sim_devices.h"
#include "scenario/update_run.h"
#include "support/case_name.h"

namespace scenario {
namespace {

using namespace core;
using testing_support::PrintTo;
using V = std::vector<std::string>;

// The DMI values the identity gives, as the DMI step appends them.
constexpr const char* kDmiValues = "/DO0:FLAA=0x0412 /DO1:2012-03-14 /DSS:HQ8A91BC300123Y";

const machine::Machine& Hardware(sim::Notebook& notebook) {
  return notebook.devices().Machine();
}

class UpdateEffects : public UpdateRunTest {
 protected:
  // The transcript holds lines containing `texts` in this order.
  void ExpectInOrder(const V& texts) {
    const V& lines = transcript().Lines();
    size_t at = 0;
    for (const std::string& text : texts) {
      while (at < lines.size() && lines[at].find(text) == std::string::npos) ++at;
      ASSERT_LT(at, lines.size()) << "not found in order: " << text;
      ++at;
    }
  }
};

// The input devices are off from before Step 00 until after the tools; the
// spinner stops before "Update Complete", the power-on is armed after it.
TEST_F(UpdateEffects, APhoenixUpdateRunsItsStepsInOrder) {
  BootProfile("xp-phoenix");
  InstallPackage(FlashLastArea, Members(Payload::kPhoenixMicom));
  ASSERT_EQ(RunUpdate("/MSERIAL"), ResultSuccess);
  ExpectInOrder({"pnp: PS/2 Compatible Mouse: enabled -> disabled",
                 "hw: keyboard controller command byte 0x47 -> 0x74",
                 "dialog: bullet 1011 = check",
                 "dialog: text 1010 = Preparing BIOS update.",
                 "device: open \\\\.\\PhysicalDrive0",
                 "dialog: bullet 1008 = arrow",
                 "process: \"" + std::string(kWork) + "SWinFlash\" bios.wph /P /MODE=3 " +
                     kDmiValues + " (in ",
                 "dialog: bullet 1008 = check",
                 "dialog: bullet 1009 = arrow",
                 "dialog: text 1010 = Preparing MICOM update.",
                 "process: \"" + std::string(kWork) + "WinUpV01_10\" kbc.bin /FORCE /SERIAL (in ",
                 "dialog: bullet 1009 = check",
                 "hw: SMI enable 0x00000002 -> 0x00000003",
                 "hw: keyboard controller command byte 0x74 -> 0x47",
                 "pnp: PS/2 Compatible Mouse: disabled -> enabled",
                 "dialog: message 1026 (WM_USER+2)",
                 "messagebox: [Update Complete]",
                 "priority: 0x00000020 -> 0x00000100",
                 "priority: 0x00000100 -> 0x00000020",
                 "hw: EC RAM 0xE887: 0x80 -> 0x81",
                 "power: shutdown privilege enabled",
                 "power: ExitWindowsEx 0x00000008: the session ends"});
  // The utilities read what they were given, in the work directory.
  const std::string work = std::string(kWork).substr(0, std::string(kWork).size() - 1);
  ExpectInOrder({"utility: SWinFlash: working directory " + work,
                 "utility: SWinFlash: bios.wph: flash-area table with 3 entries",
                 "utility: SWinFlash: window \"Phoenix Secure WinFlash\" shown until the end",
                 "utility: WinUpV01_10: working directory " + work,
                 "utility: WinUpV01_10: kbc.bin: 11 bytes"});
  // The legacy driver and the language library stay in %TEMP%.
  std::vector<std::string> temp;
  files().Enumerate(std::string(kTemp) + "\\*.*", &temp);
  EXPECT_EQ(temp, (V{".", "..", "__Orvanta_Update", "AddMem.sys", "ConResEn.dll", "DebugLog.txt"}));
}

TEST_F(UpdateEffects, TheAmiToolOfTheSystemsWidthGetsTheImageAsItLies) {
  for (const bool wow64 : {false, true}) {
    BootProfile("xp-ami", wow64 ? R"({"windows": {"wow64": true}})" : "{}");
    InstallPackage(FlashLastArea, Members(Payload::kAmi));
    ASSERT_EQ(RunUpdate("/MAUTO"), ResultSuccess);
    // The tool knows itself by its file's name, as the package stores it.
    const std::string tool = wow64 ? "afuwinx64" : "afuwin", file = wow64 ? "afuwinx64" : "AFUWIN";
    ExpectInOrder(
        {"dialog: bullet 1011 = check",
         "utility: " + file + ": command line \"" + kWork + tool + "\" bios.rom /p /b /n /e /r",
         "utility: " + file + ": bios.rom: 131072 bytes", "dialog: bullet 1008 = check",
         "hw: SMI enable 0x00000002 -> 0x00000003", "messagebox: [Update Complete]",
         "hw: EC auto-on armed through the mailbox", "power: ExitWindowsEx"});
    EXPECT_LT(Find("dialog: bullet 1009"), 0) << "no MICOM tool on this path";
  }
}

struct ArmingCase {
  const char* name;
  const char* profile;
  const char* patch;
  Payload payload;
  uint8_t ecByte;  // EC RAM 0xE887 afterwards
  bool registerWritten;
  bool mailboxArmed, keyboardArmed;
  uint16_t mailboxBase;
};

class Arming : public UpdateEffects, public ::testing::WithParamInterface<ArmingCase> {};

// A vendor-'M' controller takes command 0xDC (through its mailbox when it
// has one), any other has bit 0 of 0xE887 set, written even when set.
TEST_P(Arming, TheControllerIsArmedTheWayItsVendorAsks) {
  const ArmingCase& c = GetParam();
  BootProfile(c.profile, c.patch);
  InstallPackage(FlashLastArea, Members(c.payload));
  ASSERT_EQ(RunUpdate(), ResultSuccess);
  ASSERT_TRUE(PoweredOff());
  const machine::Machine& m = Hardware(notebook());
  EXPECT_EQ(m.kbc.ecRam[0xE887], c.ecByte);
  EXPECT_EQ(m.kbc.ecWrites, c.registerWritten ? 1u : 0u);
  EXPECT_EQ(m.superIo.autoOnArmed, c.mailboxArmed);
  EXPECT_EQ(m.kbc.autoOnArmed, c.keyboardArmed);
  EXPECT_EQ(hw::Hw().EcMailboxBase, c.mailboxBase);
  EXPECT_EQ(m.kbc.violations + m.superIo.violations, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Controllers, Arming,
    ::testing::Values(ArmingCase{"vendor M at 0x2E", "win7-x64-phoenix", "{}", Payload::kPhoenix,
                                 0x00, false, true, false, 0x0900},
                      ArmingCase{"vendor M at 0x6C2", "win7-vendor-m-6c2", "{}", Payload::kPhoenix,
                                 0x00, false, true, false, 0x0A00},
                      ArmingCase{"vendor M without an active mailbox", "win7-x64-phoenix",
                                 R"({"hardware": {"superIo": {"mailbox": {"active": 0}}}})",
                                 Payload::kPhoenix, 0x00, false, false, true, 0},
                      ArmingCase{"another vendor, 0xE887 holding 0x80", "xp-phoenix", "{}",
                                 Payload::kPhoenixMicom, 0x81, true, false, false, 0},
                      ArmingCase{
                          "another vendor, 0xE887 holding 0x81", "xp-phoenix",
                          R"({"hardware": {"embeddedController": {"ram": [{"address": "0xE887",
                                                                    "value": "0x81"}]}}})",
                          Payload::kPhoenixMicom, 0x81, true, false, false, 0}));

TEST_F(UpdateEffects, ClearCmosZeroesBothBanksAfterTheFlash) {
  for (const uint32_t header : {FlashLastArea, FlashLastArea | ClearCmos}) {
    BootProfile("win7-x64-phoenix");
    InstallPackage(header, Members(Payload::kPhoenix));
    ASSERT_EQ(RunUpdate(), ResultSuccess);
    const machine::Machine& m = Hardware(notebook());
    const bool cleared = header & ClearCmos;
    EXPECT_EQ(m.chipset.cmos[0][0x10], 0x40) << "below 0x20 the first bank is kept";
    EXPECT_EQ(m.chipset.cmos[0][0x40], cleared ? 0x00 : 0x5A);
    EXPECT_EQ(m.chipset.cmos[1][0x05], cleared ? 0x00 : 0x11);
    if (cleared)
      ExpectInOrder({"dialog: bullet 1008 = check", "hw: CMOS bank 1", "hw: SMI enable"});
  }
}

// The work directory is emptied before the dump: a longer file of an
// earlier run does not lend it its tail.
TEST_F(UpdateEffects, ReadBiosDumpsTheTopMegabyteAndNothingElse) {
  nlohmann::json profile = ProfileJson("win7-x64-phoenix");
  profile["hardware"]["memory"].push_back(
      {{"address", "0xFFFFFFF0"}, {"text", "TOP OF THE FLASH"}});
  Boot(profile.dump());
  ASSERT_TRUE(files().Put(std::string(kWork) + "ReadRomFile.bin", std::string(0x180000, 'x')));
  InstallPackage(FlashLastArea, Members(Payload::kPhoenix));
  ASSERT_EQ(RunUpdate("/READ_BIOS /BBL"), ResultSuccess);
  const std::string dump = WorkFile("ReadRomFile.bin");
  ASSERT_EQ(dump.size(), 0x100000u);
  EXPECT_EQ(dump.substr(0x100000 - 16), "TOP OF THE FLASH");
  EXPECT_EQ(dump.find_first_not_of('\xFF'), 0x100000u - 16);
  EXPECT_LT(Find("Preparing BIOS update."), 0);
  // 4 KiB at a time, upwards, nothing else read of that megabyte.
  const machine::Machine& m = Hardware(notebook());
  uint64_t next = 0xFFF00000;
  for (uint32_t n = m.logged > machine::Machine::kLogSize ? m.logged - machine::Machine::kLogSize
                                                          : 0;
       n < m.logged; ++n) {
    const machine::RequestRecord& r = m.log[n % machine::Machine::kLogSize];
    if (r.kind != machine::RequestRecord::kMemoryRead || r.target < 0xFFF00000) continue;
    EXPECT_EQ(r.target, next);
    EXPECT_EQ(r.value, 4096u);
    next += 4096;
  }
  EXPECT_EQ(next, 0x100000000u);
}

// A driver lost after keyboard and mouse went off (Windows 7: the open
// failure ends the run at once): no box nobody could answer, the mice back.
TEST_F(UpdateEffects, ADriverLostWhileInputIsOffEndsWithoutAnUnanswerableBox) {
  BootProfile("win7-x64-phoenix",
              R"({"drivers": {"torq": {"present": true, "opensBeforeLoss": 6}}})");
  InstallPackage(FlashLastArea, Members(Payload::kPhoenix));
  ASSERT_EQ(RunUpdate("/BBL"), 0xFFFFFFFFu);
  ASSERT_GE(Find("hw: keyboard controller command byte 0x47 -> 0x74"), 0);
  EXPECT_LT(Find("[Driver Load Fail]"), 0);
  EXPECT_GT(Find("pnp: PS/2 Compatible Mouse: disabled -> enabled"),
            Find("pnp: PS/2 Compatible Mouse: enabled -> disabled"));
  EXPECT_NE(RunLog().find("Driver Load Fail : keyboard and mouse were off, no message shown\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace scenario
