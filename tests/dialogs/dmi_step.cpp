// The DMI step of the Windows build under Wine, outside the update sequence
// (which does not call it yet), built from the same ui, firmware, hardware
// and Win32 code as the updater and carrying its resources.
//
//   dmi_step.exe layout [LIBRARY]
//     Shows the DMI dialog (the executable's template 116, or the language
//     library's) through the step's own dialog procedure and checks, from
//     another thread, what a user sees: each control where the template puts
//     it, every label and button text whole, the present values filled in,
//     the System Serial field focused with its text selected. Cancels it
//     after a moment, so that the test script can take its picture. Ends
//     with the check framework's "N passed, M failed".
//
//   dmi_step.exe run [--library LIBRARY] FLAGS BIOSFLAG PARTVERSION SERIAL DATE
//     Input devices suspended as the sequence leaves them, then the step
//     with these present values and UpdateFlags, on the flash command line
//     "SWinFlash bios.wph /P", with "R0123.WPH" listed as the package's image.
//     The user answers the dialog (the test script, by keyboard). When the
//     step returns it prints "command line ...", "BiosFlagB N" and
//     "accepted N" and exits with 0; a cancelled dialog ends the process
//     inside the step.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "check.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/firmware_state.h"
#include "hw/input_devices.h"
#include "os/os.h"
#include "os/win32/win32_platform.h"
#include "text_fits.h"
#include "ui/dmi_arguments.h"
#include "ui/dmi_dialog.h"
#include "ui/dmi_state.h"

namespace {

constexpr const char* kCaption = "BCPDMI Setting";
constexpr DWORD kWaitMilliseconds = 10000;
constexpr DWORD kShowMilliseconds = 1500;

// Template 116 in template order: window class, ID (-1: none), text, and
// its place in dialog units.
struct Control {
  const char* windowClass;
  int id;
  const char* text;
  RECT units;  // x, y, width, height: each converted on its own, as the dialog manager does
};
constexpr Control kControls[] = {
    {"Static", -1, "System Serial  :", {7, 8, 53, 8}},
    {"Edit", ui::kSystemSerialField, nullptr, {61, 7, 119, 12}},
    {"Static", -1, "Bios Flag         :", {7, 32, 52, 8}},
    {"Edit", ui::kBiosFlagField, nullptr, {61, 31, 119, 12}},
    {"Static", -1, "Purchase Date :", {7, 55, 52, 8}},
    {"Edit", ui::kPurchaseDateField, nullptr, {61, 54, 119, 12}},
    {"Button", IDOK, "OK", {71, 86, 50, 14}},
    {"Button", IDCANCEL, "Cancel", {130, 86, 50, 14}},
};
constexpr int kControlCount = sizeof kControls / sizeof kControls[0];

const firmware::FirmwareIdentity& Present() {
  return firmware::Firmware().CurrentFirmwareIdentity;
}

void SetPresent(const char* biosFlag, const char* partVersion, const char* serial,
                const char* date) {
  firmware::FirmwareIdentity& present = firmware::Firmware().CurrentFirmwareIdentity;
  std::snprintf(present.BiosFlag, sizeof present.BiosFlag, "%s", biosFlag);
  std::snprintf(present.BiosPartVersion, sizeof present.BiosPartVersion, "%s", partVersion);
  std::snprintf(present.SystemSerial, sizeof present.SystemSerial, "%s", serial);
  std::snprintf(present.PurchaseDate, sizeof present.PurchaseDate, "%s", date);
}

bool UseLibrary(const char* path) {
  core::Shared().ResourceModule = os::Os().libraries->LoadResourceLibrary(path);
  return core::Shared().ResourceModule != 0;
}

std::string TextOf(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

HWND WaitForDialog() {
  for (DWORD waited = 0; waited < kWaitMilliseconds; waited += 50) {
    HWND dialog = FindWindowA("#32770", kCaption);
    if (dialog && IsWindowVisible(dialog)) return dialog;
    Sleep(50);
  }
  return nullptr;
}

// The control that has the keyboard focus in the dialog's thread, once the
// posted focus change has been handled.
HWND WaitForFocus(HWND dialog, HWND expected) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
  for (DWORD waited = 0; waited < kWaitMilliseconds; waited += 50) {
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus == expected) break;
    Sleep(50);
  }
  return info.hwndFocus;
}

void CheckControls(HWND dialog) {
  RECT client;
  GetClientRect(dialog, &client);
  int index = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!CHECK(index < kControlCount)) break;
    const Control& expected = kControls[index++];
    char windowClass[32] = "";
    GetClassNameA(child, windowClass, sizeof windowClass);
    CHECK_EQ(std::string(windowClass), std::string(expected.windowClass));
    CHECK_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(child))), expected.id);
    RECT place = expected.units, actual;
    MapDialogRect(dialog, &place);
    place.right += place.left;
    place.bottom += place.top;
    GetWindowRect(child, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    if (!CHECK(EqualRect(&place, &actual)))
      std::printf("  control %d: %ld,%ld-%ld,%ld instead of %ld,%ld-%ld,%ld\n", index, actual.left,
                  actual.top, actual.right, actual.bottom, place.left, place.top, place.right,
                  place.bottom);
    CHECK(actual.right <= client.right && actual.bottom <= client.bottom);
    if (expected.text) {
      CHECK_EQ(TextOf(child), std::string(expected.text));
      if (!CHECK(TextFits(child, expected.text)))
        std::printf("  \"%s\" is cut off\n", expected.text);
    } else {
      // Values longer than the field scroll rather than stop.
      CHECK(GetWindowLongA(child, GWL_STYLE) & ES_AUTOHSCROLL);
    }
  }
  CHECK_EQ(index, kControlCount);
}

// The dialog as the user finds it: checked, left up for its picture, then
// cancelled as Escape would.
DWORD WINAPI LookAtDialog(void*) {
  HWND dialog = WaitForDialog();
  if (!CHECK(dialog != nullptr)) return 0;
  CHECK_EQ(TextOf(dialog), std::string(kCaption));
  CheckControls(dialog);
  HWND serial = GetDlgItem(dialog, ui::kSystemSerialField);
  CHECK_EQ(TextOf(serial), std::string(Present().SystemSerial));
  CHECK_EQ(TextOf(GetDlgItem(dialog, ui::kBiosFlagField)), std::string(Present().BiosFlag));
  CHECK_EQ(TextOf(GetDlgItem(dialog, ui::kPurchaseDateField)), std::string(Present().PurchaseDate));
  CHECK(WaitForFocus(dialog, serial) == serial);
  DWORD from = 1, to = 0;
  SendMessageA(serial, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  CHECK_EQ(from, DWORD{0});
  CHECK_EQ(to, static_cast<DWORD>(std::strlen(Present().SystemSerial)));
  Sleep(kShowMilliseconds);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  return 0;
}

const char* g_library = nullptr;

TEST_CASE(DmiDialogLayout) {
  if (g_library && !CHECK(UseLibrary(g_library))) return;
  SetPresent("SECB1", "07HL", "SN0123456789", "20130415");
  HANDLE looker = CreateThread(nullptr, 0, LookAtDialog, nullptr, 0, nullptr);
  if (!CHECK(looker != nullptr)) return;
  CHECK(ui::ShowDmiSettingsDialog());
  CHECK_EQ(ui::Dmi().DmiDialogAccepted, 0u);
  CHECK_EQ(WaitForSingleObject(looker, kWaitMilliseconds), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(looker);
}

int RunStep(int argc, char** argv) {
  int next = 2;
  if (argc > next + 1 && std::strcmp(argv[next], "--library") == 0) {
    if (!UseLibrary(argv[next + 1])) return 2;
    next += 2;
  }
  if (argc != next + 5) return 2;
  SetPresent(argv[next + 1], argv[next + 2], argv[next + 3], argv[next + 4]);
  firmware::FirmwareState& state = firmware::Firmware();
  std::snprintf(state.ImageFileList[0], firmware::kFileNameSize, "R0123.WPH");
  state.ImageFileCount = 1;
  hw::SuspendInputDevices();
  core::Shared().UpdateFlags = static_cast<uint32_t>(std::strtoul(argv[next], nullptr, 0));
  char line[core::kFlashCommandLineSize] = "SWinFlash bios.wph /P";
  const int result = ui::BuildDmiArguments(line, sizeof line);
  std::printf("command line %s\nBiosFlagB %d\naccepted %u\nresult %d\n", line,
              (core::Shared().UpdateFlags & core::BiosFlagB) != 0, ui::Dmi().DmiDialogAccepted,
              result);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  win32::InstallPlatform();
  if (argc >= 2 && std::strcmp(argv[1], "layout") == 0) {
    g_library = argc > 2 ? argv[2] : nullptr;
    return check::RunCases("");
  }
  if (argc >= 2 && std::strcmp(argv[1], "run") == 0) return RunStep(argc, argv);
  std::fprintf(stderr,
               "usage: dmi_step.exe layout [LIBRARY] | run [--library LIBRARY] FLAGS BIOSFLAG "
               "PARTVERSION SERIAL DATE\n");
  return 2;
}
