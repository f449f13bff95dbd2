#include "ui/dmi_arguments.h"

#include <cstring>
#include <string>

#include "core/log.h"
#include "core/messages.h"
#include "core/results.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/firmware_state.h"
#include "firmware/tool_files.h"
#include "hw/input_devices.h"
#include "os/os.h"
#include "ui/dmi_dialog.h"
#include "ui/dmi_state.h"

namespace ui {
namespace {

constexpr size_t kValueMax = firmware::kIdentityFieldSize - 1;
constexpr size_t kLetterIndex = 3;

// One group: a mode fragment (or none), then the three values.
constexpr size_t kGroupMax = sizeof " /MODE=3" - 1 + 3 * (sizeof " /DO0:" - 1 + kValueMax);
// At most two groups are appended in one run (the automatic or mode 3 one,
// then the new values), to a command line the options filled to at most
// 255 characters: the flash command line has room for all of it.
static_assert(core::kCommandLineSize - 1 + 2 * kGroupMax < core::kFlashCommandLineSize);

struct DmiValues {
  const char* biosFlag;
  const char* purchaseDate;
  const char* systemSerial;
};

void AppendValue(std::string* group, const char* fragment, const char* value) {
  *group += fragment;
  group->append(value, strnlen(value, kValueMax));
}

// Appends the group whole or, when it would not fit `size`, not at all: a
// cut value would be written into the firmware as it stands.
void AppendGroup(char* commandLine, size_t size, const char* mode, const DmiValues& values) {
  std::string group = mode;
  AppendValue(&group, " /DO0:", values.biosFlag);
  AppendValue(&group, " /DO1:", values.purchaseDate);
  AppendValue(&group, " /DSS:", values.systemSerial);
  const size_t used = strnlen(commandLine, size);
  if (used >= size || group.size() >= size - used) {
    core::WriteLog("DMI Arguments Left Out : %s", group);
    return;
  }
  std::memcpy(commandLine + used, group.c_str(), group.size() + 1);
}

// The flag letter decides BiosFlagB and the fourth character of
// NewBiosFlag, which otherwise keeps the present Bios Flag. A Bios Flag of
// fewer than four characters has no place for the letter and is kept as it
// is: the tool then writes back what the firmware holds.
void SetFlagLetter(char letter) {
  uint32_t& flags = core::Shared().UpdateFlags;
  if (letter == 'B')
    flags |= core::BiosFlagB;
  else
    flags &= ~core::BiosFlagB;
  char* newFlag = Dmi().NewBiosFlag;
  const char* present = firmware::Firmware().CurrentFirmwareIdentity.BiosFlag;
  const size_t length = strnlen(present, kValueMax);
  std::memcpy(newFlag, present, length);
  newFlag[length] = '\0';
  if (length > kLetterIndex) newFlag[kLetterIndex] = letter;
}

// Cleans up and ends the process (through the seam, which never returns);
// `code` 0 for a cancelled dialog.
void StopDmiUpdate(core::ResultCode code) {
  firmware::RemoveStagedTools();
  firmware::DeleteListedFiles();
  if (code == core::ResultSuccess)
    core::ShowMessage(core::box::kInformation, "Stop Update", "Cancel DMI Update.");
  else
    core::ReportResult(code);
  os::Os().system->ExitProcess(code);
}

}  // namespace

int BuildDmiArguments(char* commandLine, size_t size) {
  const firmware::FirmwareIdentity& present = firmware::Firmware().CurrentFirmwareIdentity;
  const uint32_t& flags = core::Shared().UpdateFlags;
  const char presentLetter = present.BiosFlag[kLetterIndex];
  const bool letterKnown = presentLetter == 'A' || presentLetter == 'B';
  SetFlagLetter(letterKnown ? presentLetter
                            : (present.BiosPartVersion[kLetterIndex] == 'E' ? 'B' : 'A'));

  const DmiValues presentValues{Dmi().NewBiosFlag, present.PurchaseDate, present.SystemSerial};
  if (!letterKnown && !(flags & (core::DmiMode1 | core::DmiMode3)))
    AppendGroup(commandLine, size, " /MODE=3", presentValues);
  // The option "/MODE=3" itself is already on the command line.
  if (flags & core::DmiMode3) AppendGroup(commandLine, size, "", presentValues);
  if ((flags & core::DmiMode3) || !(flags & core::DmiOnly)) return 1;

  // A DMI-only run updates no MICOM; the user types the new values.
  firmware::DeleteMicomTool();
  hw::ResumeInputDevices();
  if (!ShowDmiSettingsDialog()) StopDmiUpdate(core::ResultInitFailed);
  if (!Dmi().DmiDialogAccepted) StopDmiUpdate(core::ResultSuccess);
  hw::SuspendInputDevices();
  const DmiState& typed = Dmi();
  AppendGroup(commandLine, size, " /MODE=1",
              {typed.NewBiosFlag, typed.NewPurchaseDate, typed.NewSystemSerial});
  return 1;
}

}  // namespace ui
