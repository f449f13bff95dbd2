// The DMI step on a simulated notebook: the arguments appended to the flash
// command line for every combination of flag letter and mode bits, and the
// DMI dialog of a DMI-only run (lengths, Cancel and its clean-up, the input
// devices around it), asserted on the command line, the transcript and the
// files left.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/results.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/firmware_state.h"
#include "hw/hw_fixture.h"
#include "hw/input_devices.h"
#include "ui/dmi_arguments.h"
#include "ui/dmi_state.h"

namespace {

using nlohmann::json;

constexpr const char* kBase = "SWinFlash bios.wph /P";
constexpr const char* kSerial = "SN0123456789";  // 12 characters
constexpr const char* kDate = "20130415";        // 8 characters
// Files of the work directory before the step: the flash tool's working
// set, the MICOM tool and a listed image.
const std::vector<std::string> kStaged = {"SWinFlash.exe",   "PhlashNT.sys", "bios.wph",
                                          "WinUpV01_10.exe", "kbc.bin",      "R0123.WPH"};
const std::string kDialogOpened = "dialog: open template 116";

struct Identity {
  const char* biosFlag;
  const char* partVersion = "07HL";
  const char* serial = kSerial;
  const char* date = kDate;
};

class DmiStep : public hwtest::HwTest {
 protected:
  // Boots the notebook with the user's input to the DMI dialog, stages the
  // files, fills the identity and sets the flags; input is suspended, as
  // the update sequence leaves it before this step.
  void Start(const Identity& identity, uint32_t flags, const std::string& dmiDialog = "[]",
             const std::function<void(json&)>& edit = {}) {
    Boot("win7-x64-phoenix.json", [&](json& j) {
      j["dmiDialog"] = json::parse(dmiDialog);
      if (edit) edit(j);
    });
    for (const std::string& name : kStaged) ASSERT_TRUE(notebook().files().Put(name, name));
    firmware::FirmwareState& state = firmware::Firmware();
    std::snprintf(state.ImageFileList[0], firmware::kFileNameSize, "R0123.WPH");
    state.ImageFileCount = 1;
    firmware::FirmwareIdentity& present = state.CurrentFirmwareIdentity;
    std::snprintf(present.BiosFlag, sizeof present.BiosFlag, "%s", identity.biosFlag);
    std::snprintf(present.BiosPartVersion, sizeof present.BiosPartVersion, "%s",
                  identity.partVersion);
    std::snprintf(present.SystemSerial, sizeof present.SystemSerial, "%s", identity.serial);
    std::snprintf(present.PurchaseDate, sizeof present.PurchaseDate, "%s", identity.date);
    hw::SuspendInputDevices();
    core::Shared().UpdateFlags = flags;
    std::snprintf(line_, sizeof line_, "%s", kBase);
    notebook().transcript().Clear();
  }

  // Runs the step; the exit code when it ended the process, else -1.
  int64_t Run() {
    try {
      EXPECT_EQ(ui::BuildDmiArguments(line_, sizeof line_), 1);
    } catch (const sim::ProcessExit& exit) {
      return exit.code;
    }
    return -1;
  }

  // What the step appended to the base command line.
  std::string Appended() const { return std::string(line_).substr(std::strlen(kBase)); }
  bool FlagB() const { return core::Shared().UpdateFlags & core::BiosFlagB; }
  int Find(const std::string& line) {
    const auto& lines = notebook().transcript().Lines();
    const auto it = std::find(lines.begin(), lines.end(), line);
    return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
  }
  std::vector<std::string> Boxes() { return notebook().transcript().Of("messagebox"); }
  std::vector<std::string> Left() {
    std::vector<std::string> left;
    for (const std::string& name : kStaged)
      if (notebook().files().Exists(name)) left.push_back(name);
    return left;
  }

  char line_[core::kFlashCommandLineSize] = {};
};

std::string Group(const std::string& flag, const std::string& date, const std::string& serial) {
  return " /DO0:" + flag + " /DO1:" + date + " /DSS:" + serial;
}

// The user overtypes all three fields with values of the right lengths.
const std::string kTypedOk =
    R"([{"systemSerial": "SN9999999999", "biosFlag": "NEWF9", "purchaseDate": "20240101",
         "press": "OK"}])";
const std::string kNewGroup = " /MODE=1" + Group("NEWF9", "20240101", "SN9999999999");

TEST_F(DmiStep, AppendsWhatTheFlagLetterAndTheModeBitsCallFor) {
  const uint32_t m1 = core::DmiMode1, m3 = core::DmiMode3, only = core::DmiOnly;
  const std::string current = Group("SECA1", kDate, kSerial);
  const std::string currentB = Group("SECB1", kDate, kSerial);
  struct Case {
    Identity identity;
    uint32_t flags;
    std::string appended;
    bool flagB;
  } cases[] = {
      // The present flag names the letter: nothing automatic. A stale
      // BiosFlagB is cleared for 'A'.
      {{"SECA1"}, core::BiosFlagB, "", false},
      {{"SECB1"}, 0, "", true},
      {{"SECB1"}, m1, "", true},
      {{"SECA1"}, m3, current, false},
      {{"SECA1"}, m1 | m3, current, false},
      {{"SECB1"}, m3 | only, currentB, true},
      {{"SECA1"}, only, kNewGroup, false},
      {{"SECB1"}, m1 | only, kNewGroup, true},
      // Any other fourth character: the letter from the part version ('E' gives
      // 'B'), put into the present flag.
      {{"SECX1", "07HE"}, 0, " /MODE=3" + currentB, true},
      {{"SECX1", "07HL"}, core::BiosFlagB, " /MODE=3" + current, false},
      {{"SECX1"}, only, " /MODE=3" + current + kNewGroup, false},
      {{"SECX1"}, m1, "", false},
      {{"SECX1", "07HE"}, m1 | only, kNewGroup, true},
      {{"SECX1"}, m3, current, false},
      {{"SECX1", "07HE"}, m3 | only, currentB, true},
      {{"SECX1"}, m1 | m3 | only, current, false},
      // A part version too short for a fourth character gives 'A'.
      {{"SECX1", "07"}, 0, " /MODE=3" + current, false},
      // A Bios Flag without a fourth character keeps its value; an empty one
      // stays empty (the tool writes back what the firmware holds).
      {{"ABC", "07HE"}, 0, " /MODE=3" + Group("ABC", kDate, kSerial), true},
      {{"", "07HE"}, m3, Group("", kDate, kSerial), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.identity.biosFlag) + " " + c.identity.partVersion + " flags " +
                 core::UpdateFlagNames(c.flags));
    Start(c.identity, c.flags, kTypedOk);
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(Appended(), c.appended);
    EXPECT_EQ(FlagB(), c.flagB);
    const bool dialog = (c.flags & only) && !(c.flags & m3);
    EXPECT_EQ(Find(kDialogOpened) >= 0, dialog);
    // Only a DMI-only run touches files: the MICOM tool goes, the flash tool stays.
    const std::vector<std::string> withoutMicomTool = {"SWinFlash.exe", "PhlashNT.sys", "bios.wph",
                                                       "R0123.WPH"};
    EXPECT_EQ(Left(), dialog ? withoutMicomTool : kStaged);
  }
}

// Input comes back for the dialog and goes off again after OK; the typed
// values are the new ones.
TEST_F(DmiStep, TheDialogShowsThePresentValuesWithInputResumedAroundIt) {
  Start({"SECA1"}, core::DmiOnly, kTypedOk);
  ASSERT_EQ(Run(), -1);
  const std::vector<std::string> expected = {"hw: keyboard controller command byte 0x74 -> 0x47",
                                             kDialogOpened,
                                             "dialog: text 1017 = SN0123456789",
                                             "dialog: text 1018 = SECA1",
                                             "dialog: text 1019 = 20130415",
                                             "dialog: focus 1017",
                                             "dialog: typed 1017 = SN9999999999",
                                             "dialog: typed 1018 = NEWF9",
                                             "dialog: typed 1019 = 20240101",
                                             "dialog: OK pressed",
                                             "dialog: closed with 1",
                                             "dialog: ended",
                                             "hw: keyboard controller command byte 0x47 -> 0x74"};
  std::vector<std::string> seen;
  for (const std::string& line : notebook().transcript().Lines())
    if (line.rfind("dialog: ", 0) == 0 || line.rfind("hw: keyboard", 0) == 0) seen.push_back(line);
  EXPECT_EQ(seen, expected);
  EXPECT_LT(Find("pnp: PS/2 Compatible Mouse: disabled -> enabled"), Find(kDialogOpened));
  EXPECT_GT(Find("pnp: PS/2 Compatible Mouse: enabled -> disabled"), Find(kDialogOpened));
  EXPECT_TRUE(core::Shared().InputDevicesSuspended);
  EXPECT_EQ(ui::Dmi().DmiDialogAccepted, 1u);
  EXPECT_STREQ(ui::Dmi().NewBiosFlag, "NEWF9");
  EXPECT_TRUE(Boxes().empty());
}

// OK checks System Serial, Bios Flag, Purchase Date in turn; the first
// wrong length gets its message with the present length, and only the
// fields before it are taken.
TEST_F(DmiStep, AWrongLengthKeepsTheDialogOpenWithItsMessage) {
  auto message = [](const std::string& field, int length) {
    return "messagebox: [Error : String length] The string length of " + field + " must be " +
           std::to_string(length) + ". (type 0x40, owner none, answer 1)";
  };
  struct Case {
    const char* label;
    Identity identity;
    std::string firstTry;
    std::string message;
    const char* serialTaken;
    const char* flagTaken;
  };
  const Case cases[] = {
      Case("serial one too long", {"SECA1"},
           R"({"systemSerial": "SN01234567890", "biosFlag": "NEWF9", "purchaseDate": "20240101"})",
           message("System Serial", 12), "", "SECA1"),
      Case("flag one too short", {"SECA1"},
           R"({"systemSerial": "SN9999999999", "biosFlag": "NEWF"})", message("Bios Flag", 5),
           "SN9999999999", "SECA1"),
      Case("a date where none was", {"SECA1", "07HL", kSerial, ""},
           R"({"systemSerial": "SN9999999999", "biosFlag": "NEWF9", "purchaseDate": "x"})",
           message("Purchase Date", 0), "SN9999999999", "NEWF9"),
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    json first = json::parse(c.firstTry);
    first["press"] = "OK";
    Start(c.identity, core::DmiOnly, json::array({first, {{"press", "Cancel"}}}).dump());
    EXPECT_EQ(Run(), 0);
    EXPECT_GT(Find(c.message), Find("dialog: OK pressed"));
    EXPECT_LT(Find(c.message), Find("dialog: still open"));
    EXPECT_STREQ(ui::Dmi().NewSystemSerial, c.serialTaken);
    EXPECT_STREQ(ui::Dmi().NewBiosFlag, c.flagTaken);
    EXPECT_STREQ(ui::Dmi().NewPurchaseDate, "");
  }
  // The present date is empty: the field left empty is right.
  Start({"SECA1", "07HL", kSerial, ""}, core::DmiOnly,
        R"([{"purchaseDate": "x", "press": "OK"}, {"purchaseDate": "", "press": "OK"}])");
  EXPECT_EQ(Run(), -1);
  EXPECT_EQ(Appended(), " /MODE=1" + Group("SECA1", "", kSerial));
  // Under NoMessageBox the message is not shown; the dialog still stays.
  Start(
      {"SECA1"}, core::DmiOnly | core::NoMessageBox,
      R"([{"systemSerial": "", "press": "OK"}, {"systemSerial": "SN9999999999", "press": "OK"}])");
  EXPECT_EQ(Run(), -1);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Appended(), " /MODE=1" + Group("SECA1", kDate, "SN9999999999"));
}

// Cancel, Escape and the close box all end the process with 0 after the
// clean-up; input stays on and nothing more is appended.
TEST_F(DmiStep, CancellingEndsTheProcessWithZeroAfterTheCleanUp) {
  for (const char* press : {"Cancel", "Escape", "close"}) {
    SCOPED_TRACE(press);
    Start({"SECX1"}, core::DmiOnly, json::array({{{"press", press}}}).dump());
    EXPECT_EQ(Run(), 0);
    EXPECT_GE(Find(std::string("dialog: ") + press + " pressed"), 0);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"[Stop Update] Cancel DMI Update. (type 0x40, "
                                                "owner none, answer 1)"});
    EXPECT_EQ(Left(), std::vector<std::string>{});
    EXPECT_EQ(ui::Dmi().DmiDialogAccepted, 0u);
    EXPECT_EQ(hardware().kbc.commandByte, 0x47);
    EXPECT_FALSE(core::Shared().InputDevicesSuspended);
    EXPECT_EQ(Appended(), " /MODE=3" + Group("SECA1", kDate, kSerial));
  }
  // Without message boxes the cancel still ends the process.
  Start({"SECA1"}, core::DmiOnly | core::NoMessageBox, R"([{"press": "Escape"}])");
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(Boxes().empty());
  // A dialog nobody answers waits for ever: the simulation says so.
  Start({"SECA1"}, core::DmiOnly);
  EXPECT_THROW(Run(), sim::Deadlock);
}

// A language library without template 116 gets the executable's own; when
// no dialog can be created at all the run ends as failed, not as cancelled.
TEST_F(DmiStep, ADialogThatCannotBeCreated) {
  auto library = [](json& j) { j["dialog"] = {{"libraryLacks", {116}}}; };
  Start({"SECA1"}, core::DmiOnly, kTypedOk, library);
  core::Shared().ResourceModule = 0x10000000;  // a loaded language library
  EXPECT_EQ(Run(), -1);
  EXPECT_LT(Find("dialog: template 116 cannot be created"), Find(kDialogOpened));
  EXPECT_EQ(Appended(), kNewGroup);

  Start({"SECA1"}, core::DmiOnly, kTypedOk, [](json& j) { j["dialog"] = {{"createFails", true}}; });
  EXPECT_EQ(Run(), core::ResultInitFailed);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"[Fatal Error] Initializing program failed. (type "
                                              "0x10, owner none, answer 1)"});
  EXPECT_EQ(Left(), std::vector<std::string>{});
}

// The longest options and the longest values of both groups fit the flash
// command line; a smaller buffer gets whole groups or none, never a cut one.
TEST_F(DmiStep, CommandLineRoom) {
  const std::string v31(31, 'V');
  const std::string typed = json::array({{{"systemSerial", v31},
                                          {"biosFlag", std::string(31, 'F')},
                                          {"purchaseDate", v31},
                                          {"press", "OK"}}})
                                .dump();
  Start({"VVVXVVVVVVVVVVVVVVVVVVVVVVVVVVV", "07HL", v31.c_str(), v31.c_str()}, core::DmiOnly,
        typed);
  const std::string options = kBase + std::string(255 - std::strlen(kBase), 'o');
  std::snprintf(line_, sizeof line_, "%s", options.c_str());
  EXPECT_EQ(Run(), -1);
  const std::string expected = options + " /MODE=3" +
                               Group("VVVAVVVVVVVVVVVVVVVVVVVVVVVVVVV", v31, v31) + " /MODE=1" +
                               Group(std::string(31, 'F'), v31, v31);
  EXPECT_EQ(expected.size(), 493u);
  EXPECT_EQ(std::string(line_), expected);

  // The bound to the byte: the group and its terminator fit exactly, or not.
  const std::string automatic = " /MODE=3" + Group("SECA1", kDate, kSerial);
  for (size_t spare : {0, 1}) {
    Start({"SECX1"}, 0);
    EXPECT_EQ(ui::BuildDmiArguments(line_, std::strlen(kBase) + automatic.size() + spare), 1);
    EXPECT_EQ(Appended(), spare ? automatic : "");
  }
  char small[64] = "SWinFlash bios.wph /P";
  std::memset(small + 22, 'x', sizeof small - 22);  // nothing is read behind the buffer
  EXPECT_EQ(ui::BuildDmiArguments(small, 60), 1);
  EXPECT_STREQ(small, "SWinFlash bios.wph /P");
  EXPECT_EQ(LogCount("DMI Arguments Left Out : " + automatic), 1);
  small[21] = 'x';  // an unterminated command line gets nothing
  EXPECT_EQ(ui::BuildDmiArguments(small, 30), 1);
  EXPECT_EQ(std::string(small, 30), "SWinFlash bios.wph /Px" + std::string(8, 'x'));
}

}  // namespace
