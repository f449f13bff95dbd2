// Every way an update run ends once the package is extracted, on the
// documented profiles: the exit code, the messages, the steps the log went
// through, the tools started, what the reporter's clean-up leaves in the work
// directory and whether the machine was asked to switch off.
#include <algorithm>

#include "core/results.h"
#include "core/update_flags.h"
#include "os/sim/sim_devices.h"
#include "scenario/update_run.h"
#include "support/case_name.h"

namespace scenario {
namespace {

using namespace core;
using testing_support::PrintTo;
using V = std::vector<std::string>;

const std::string kComplete =
    "[Update Complete] The program will turn the system off, and then turn it on again in a few "
    "seconds. (type 0x40, owner dialog, answer 1)";
const std::string kAutoOnFailed =
    "[Fail : Set Auto On] Auto On setting failed. (type 0x10, owner dialog, answer 1)";
std::string Failure(const std::string& titleAndText) {
  return titleAndText + " (type 0x10, owner dialog, answer 1)";
}
const std::string kModelText =
    "[Fail : Model(Bios Part Number)] The BIOS/MICOM model to be updated is different.\\n\\nCheck "
    "the program.\\n\\n Current Model (BIOS Part Number) : ";
const std::string kBiosFile = Failure("[Fail : Bios File] Invalid BIOS file.");
const std::string kBiosDate = Failure(
    "[Fail : Bios Date] The system BIOS is a newer version than the update.\\n\\n The update will "
    "be terminated.");

const V kAllSteps{"Step 00", "Step 01", "Step 02",   "Step 03", "Step 04",
                  "Step 05", "Step 06", "Step 06-1", "Step 07", "Step 08"};
const V kUpToFlash{"Step 00", "Step 01", "Step 02", "Step 03",
                   "Step 04", "Step 05", "Step 06", "Step 06-1"};
const V kAmiMarkers{"Before Checking SMI Enable", "After Checking SMI Enable", "Before HID Enable",
                    "After HID Enable"};
const V kLogOnly{"DebugLog.txt"};
// A "/MODE" option of 207 characters and a TEMP of 203.
const std::string kLongModeText = "/MODE=2" + std::string(200, 'x');
const char* const kLongMode = kLongModeText.c_str();
const std::string kLongTemp =
    R"({"environment": {"TEMP": "C:\\)" + std::string(200, 'T') + R"("}})";
const char* const kLongTempPatch = kLongTemp.c_str();

struct EndingCase {
  const char* name;
  const char* profile;
  const char* patch;  // merged into the profile
  Payload payload;
  uint32_t header;
  const char* options;
  uint32_t exitCode;
  V boxes;    // after the confirmation
  V markers;  // the log's "Step" and AMI path lines, in order
  V tools;    // programs started: "NAME -> exit N"
  V left;     // the work directory afterwards
  bool powerOff;
  V logged = {};  // further lines the log must hold
};

class UpdateEnding : public UpdateRunTest, public ::testing::WithParamInterface<EndingCase> {};

TEST_P(UpdateEnding, EndsAsTheProfileAndOptionsSay) {
  const EndingCase& c = GetParam();
  BootProfile(c.profile, c.patch);
  InstallPackage(c.header, Members(c.payload));
  EXPECT_EQ(RunUpdate(c.options), c.exitCode);

  V boxes = Lines("messagebox");
  ASSERT_FALSE(boxes.empty());
  boxes.erase(boxes.begin());  // the confirmation
  EXPECT_EQ(boxes, c.boxes);
  EXPECT_EQ(LogMarkers(), c.markers);
  EXPECT_EQ(ToolsStarted(), c.tools);
  EXPECT_EQ(WorkEntries(), c.left);
  for (const std::string& line : c.logged)
    EXPECT_NE(RunLog().find(line + "\r\n"), std::string::npos) << line;

  EXPECT_EQ(PoweredOff(), c.powerOff);
  EXPECT_EQ(processEnded_, c.powerOff);
  // Real-time priority only around the controller bytes of the power-on,
  // and the class before it back afterwards.
  const bool armed = std::find(c.boxes.begin(), c.boxes.end(), kComplete) != c.boxes.end();
  const V raised{"0x00000020 -> 0x00000100", "0x00000100 -> 0x00000020"};
  EXPECT_EQ(Lines("priority"), armed ? raised : V{});
  // Whatever the ending, the keyboard controller is back as it was.
  EXPECT_EQ(notebook().devices().Machine().kbc.commandByte, 0x47);
}

INSTANTIATE_TEST_SUITE_P(
    Phoenix, UpdateEnding,
    ::testing::Values(
        EndingCase("vendor M: the whole update, then power-off", "win7-x64-phoenix", "{}",
                   Payload::kPhoenix, FlashLastArea, "/BBL", ResultSuccess, {kComplete}, kAllSteps,
                   {"SWinFlash.exe -> exit 0"}, kLogOnly, true),
        // A vendor-'M' controller still gets its power cycle.
        EndingCase("vendor M with the MICOM update skipped by option", "win7-x64-phoenix", "{}",
                   Payload::kPhoenix, FlashLastArea, "/SKIP_UPDATE_MICOM", ResultSuccess,
                   {kComplete}, kAllSteps, {"SWinFlash.exe -> exit 0"}, kLogOnly, true),
        EndingCase("exit code 1 from the flash tool is success", "win7-x64-phoenix",
                   R"({"utilities": {"SWinFlash": {"exitCode": 1}}})", Payload::kPhoenix,
                   FlashLastArea, "", ResultSuccess, {kComplete}, kAllSteps,
                   {"SWinFlash.exe -> exit 1"}, kLogOnly, true),
        EndingCase("another vendor: the MICOM tool, then the EC register", "xp-phoenix", "{}",
                   Payload::kPhoenixMicom, FlashLastArea, "/MFORCE", ResultSuccess, {kComplete},
                   kAllSteps, {"SWinFlash.exe -> exit 0", "WinUpV01_10.exe -> exit 0"}, kLogOnly,
                   true, {"Micom File Found : K0123.bin", "Total Micom File Number : 1"}),
        EndingCase("another vendor with the MICOM update skipped: no power-off", "xp-phoenix", "{}",
                   Payload::kPhoenix, FlashLastArea, "/SKIP_UPDATE_MICOM", ResultSuccess, {},
                   kAllSteps, {"SWinFlash.exe -> exit 0"}, kLogOnly, false),
        EndingCase("another vendor with /BLOCK_POWER_OFF", "xp-phoenix", "{}",
                   Payload::kPhoenixMicom, FlashLastArea, "/BLOCK_POWER_OFF", ResultSuccess, {},
                   kAllSteps, {"SWinFlash.exe -> exit 0", "WinUpV01_10.exe -> exit 0"}, kLogOnly,
                   false),
        EndingCase("another vendor with KeepPowerOn in the package header", "xp-phoenix", "{}",
                   Payload::kPhoenixMicom, FlashLastArea | KeepPowerOn, "", ResultSuccess, {},
                   kAllSteps, {"SWinFlash.exe -> exit 0", "WinUpV01_10.exe -> exit 0"}, kLogOnly,
                   false),
        EndingCase("the power-on not armed: the machine is switched off all the same",
                   "win7-auto-on-fails", "{}", Payload::kPhoenix, FlashLastArea, "", ResultSuccess,
                   {kComplete, kAutoOnFailed}, kAllSteps, {"SWinFlash.exe -> exit 0"}, kLogOnly,
                   true, {"Set Auto On : the controller did not answer"}),
        EndingCase("read-BIOS mode", "win7-x64-phoenix", "{}", Payload::kPhoenix, FlashLastArea,
                   "/READ_BIOS", ResultSuccess, {}, {}, {},
                   {"DebugLog.txt", "R0123.WPH", "ReadRomFile.bin"}, false),
        EndingCase("a DMI-only package, the present values confirmed", "win7-x64-phoenix",
                   R"({"dmiDialog": [{"press": "OK"}]})", Payload::kPhoenix,
                   FlashLastArea | DmiOnly, "", ResultSuccess,
                   {"[Complete] DMI Update is complete.\\n\\nRestart system. (type 0x40, owner "
                    "dialog, answer 1)"},
                   {"Step 00", "Step 01", "Step 02", "Step 03", "Step 04", "Step 05", "Step 06",
                    "Step 06-1", "Step 07"},
                   {"SWinFlash.exe -> exit 0"}, kLogOnly, false),
        EndingCase("a password-protected disk", "win7-hdd-password", "{}", Payload::kPhoenix,
                   FlashLastArea, "", ResultHddPassword,
                   {Failure("[Fail : HDD Password] The HDD is password protected.\\n\\nRelease the "
                            "password protection for the HDD in the BIOS Setup and try "
                            "again.\\n\\nProgram is terminated.")},
                   {"Step 00"}, {}, {"DebugLog.txt", "R0123.WPH"}, false),
        EndingCase("a package without an image", "win7-x64-phoenix", "{}", Payload::kNoImage,
                   FlashLastArea, "", ResultBiosFile, {kBiosFile},
                   {"Step 00", "Step 01", "Step 02", "Step 03", "Step 04"}, {}, kLogOnly, false),
        EndingCase("another vendor without a MICOM file", "xp-phoenix", "{}", Payload::kPhoenix,
                   FlashLastArea, "", ResultMicomFile,
                   {Failure("[Fail : Micom File] Invalid MICOM file.")},
                   {"Step 00", "Step 01", "Step 02", "Step 03", "Step 04"}, {}, kLogOnly, false),
        EndingCase("the model refused, with newSys.bin", "win7-flash-refuses-model", "{}",
                   Payload::kPhoenix, FlashLastArea, "", ResultToolModelMismatch,
                   {Failure(kModelText +
                            "NP90(BA4)\\n\\n     New Model (BIOS Part Number) : NP9X(ABC)")},
                   kUpToFlash, {"SWinFlash.exe -> exit -120"}, kLogOnly, false),
        EndingCase("the model refused, without newSys.bin", "win7-flash-refuses-model-no-newsys",
                   "{}", Payload::kPhoenix, FlashLastArea, "", ResultToolModelMismatch,
                   {Failure(kModelText + "NP90(BA4)\\n\\n     New Model (BIOS Part Number) : ()")},
                   kUpToFlash, {"SWinFlash.exe -> exit -120"}, kLogOnly, false),
        EndingCase("the date refused", "win7-flash-refuses-date", "{}", Payload::kPhoenix,
                   FlashLastArea, "", ResultBiosDate, {kBiosDate}, kUpToFlash,
                   {"SWinFlash.exe -> exit -110"}, kLogOnly, false),
        EndingCase("a date refused with -109", "win7-x64-phoenix",
                   R"({"utilities": {"SWinFlash": {"exitCode": -109}}})", Payload::kPhoenix,
                   FlashLastArea, "", ResultBiosDate, {kBiosDate}, kUpToFlash,
                   {"SWinFlash.exe -> exit -109"}, kLogOnly, false),
        EndingCase("a flash tool that cannot start", "win7-x64-phoenix",
                   R"({"utilities": {"SWinFlash": {"startFails": true}}})", Payload::kPhoenix,
                   FlashLastArea, "", ResultBiosFile, {kBiosFile}, kUpToFlash,
                   {"not started (error 193)"}, kLogOnly, false,
                   {"Bios command not started : error 193"}),
        // A crash is not the tool's answer: the image may be half written.
        EndingCase("a flash tool that crashed", "win7-x64-phoenix",
                   R"({"utilities": {"SWinFlash": {"exitCode": "0xC0000005"}}})", Payload::kPhoenix,
                   FlashLastArea, "", ResultBiosFile, {kBiosFile}, kUpToFlash,
                   {"SWinFlash.exe -> exit -1073741819"}, kLogOnly, false,
                   {"Bios command ended by the system : 0xC0000005"}),
        EndingCase("a flash tool whose exit code cannot be read", "win7-x64-phoenix",
                   R"({"utilities": {"SWinFlash": {"exitCodeUnreadable": true}}})",
                   Payload::kPhoenix, FlashLastArea, "", ResultBiosFile, {kBiosFile}, kUpToFlash,
                   {"SWinFlash.exe -> exit code unreadable (error 6)"}, kLogOnly, false,
                   {"Bios command exit code unknown : error 6"}),
        // The options and the DMI values under a long TEMP: 514 characters.
        EndingCase("a flash command line too long to start", "win7-x64-phoenix", kLongTempPatch,
                   Payload::kPhoenix, FlashLastArea, kLongMode, ResultInvalidOption,
                   {Failure("[Fail : Invalid Option] Invalid Option.\\nCheck the option.")},
                   kUpToFlash, {}, kLogOnly, false,
                   {"Bios command too long : 514 characters, at most 511"}),
        EndingCase("the MICOM update failed", "xp-phoenix-micom-fails", "{}",
                   Payload::kPhoenixMicom, FlashLastArea, "", ResultMicomFailed,
                   {Failure("[Fail : Micom] MICOM Update failed.")},
                   {"Step 00", "Step 01", "Step 02", "Step 03", "Step 04", "Step 05", "Step 06",
                    "Step 06-1", "Step 07"},
                   {"SWinFlash.exe -> exit 0", "WinUpV01_10.exe -> exit 1"}, kLogOnly, false),
        EndingCase("SMI cannot be enabled", "win7-x64-phoenix",
                   R"({"hardware": {"pci": {"lpc": false}}})", Payload::kPhoenix, FlashLastArea, "",
                   ResultSmiEnable, {Failure("[Fail : Enable SMI] SMI setting failed.")}, kAllSteps,
                   {"SWinFlash.exe -> exit 0"}, kLogOnly, false),
        // The width sets are not staged before the options are parsed.
        EndingCase("an unknown option", "win7-x64-phoenix", "{}", Payload::kPhoenix, FlashLastArea,
                   "/BOGUS", ResultInvalidOption,
                   {Failure("[Fail : Invalid Option] Invalid Option.\\nCheck the option.")}, {}, {},
                   {"PhlashNT_32.sys", "PhlashNT_64.sys", "R0123.WPH", "SWinFlash_32.exe",
                    "SWinFlash_64.exe"},
                   false)));

INSTANTIATE_TEST_SUITE_P(
    Ami, UpdateEnding,
    ::testing::Values(
        // Equal versions pass; "/MFORCE" is accepted and changes nothing here.
        EndingCase("an image of the installed version", "xp-ami", "{}", Payload::kAmi,
                   FlashLastArea, "/MFORCE", ResultSuccess, {kComplete}, kAmiMarkers,
                   {"AFUWIN.exe -> exit 0"}, kLogOnly, true),
        EndingCase("a newer image, 64-bit Windows", "xp-ami-image-newer",
                   R"({"windows": {"wow64": true}})", Payload::kAmi, FlashLastArea, "",
                   ResultSuccess, {kComplete}, kAmiMarkers, {"afuwinx64.exe -> exit 0"}, kLogOnly,
                   true),
        EndingCase("an older image", "xp-ami-image-older", "{}", Payload::kAmi, FlashLastArea, "",
                   ResultBiosDate, {kBiosDate}, {}, {}, kLogOnly, false),
        EndingCase("an image for another part", "xp-ami-other-part", "{}", Payload::kAmi,
                   FlashLastArea, "", ResultModelMismatch,
                   {Failure(kModelText + "(BA9)\\n\\n     New Model (BIOS Part Number) : (BA2)")},
                   {}, {}, kLogOnly, false),
        EndingCase("no bios.rom in the package", "xp-ami", "{}", Payload::kPhoenix, FlashLastArea,
                   "", ResultBiosFile, {kBiosFile}, {}, {}, {"DebugLog.txt", "R0123.WPH"}, false),
        EndingCase("a Phoenix-only option", "xp-ami", "{}", Payload::kAmi, FlashLastArea, "/BBL",
                   ResultInvalidOption,
                   {Failure("[Fail : Invalid Option] Invalid Option.\\nCheck the option.")}, {}, {},
                   {}, false),
        EndingCase("another vendor, MICOM skipped by the package header: no power-off", "xp-ami",
                   R"({"hardware": {"superIo": {"chipId": "0x49"}}})", Payload::kAmi,
                   FlashLastArea | SkipUpdateMicom, "", ResultSuccess, {}, kAmiMarkers,
                   {"AFUWIN.exe -> exit 0"}, kLogOnly, false),
        EndingCase("the AMI flash tool refuses", "xp-ami",
                   R"({"utilities": {"AFUWIN": {"exitCode": -110}}})", Payload::kAmi, FlashLastArea,
                   "", ResultBiosDate, {kBiosDate}, {}, {"AFUWIN.exe -> exit -110"}, kLogOnly,
                   false)));

}  // namespace
}  // namespace scenario
