#include "ui/dmi_dialog.h"

#include <cstring>
#include <string>

#include "core/messages.h"
#include "core/shared_state.h"
#include "firmware/firmware_state.h"
#include "os/os.h"
#include "ui/dmi_state.h"

namespace ui {
namespace {

constexpr int kOkCommand = 1;
constexpr int kCancelCommand = 2;
constexpr int kFieldReadMax = 255;
constexpr intptr_t kNotCreated = -1;

// The fields in the order OK checks them.
struct Field {
  int control;
  const char* lengthMessage;
  firmware::IdentityField firmware::FirmwareIdentity::*present;
  firmware::IdentityField DmiState::*typed;
};

constexpr Field kFields[] = {
    {kSystemSerialField, "The string length of System Serial must be %d.",
     &firmware::FirmwareIdentity::SystemSerial, &DmiState::NewSystemSerial},
    {kBiosFlagField, "The string length of Bios Flag must be %d.",
     &firmware::FirmwareIdentity::BiosFlag, &DmiState::NewBiosFlag},
    {kPurchaseDateField, "The string length of Purchase Date must be %d.",
     &firmware::FirmwareIdentity::PurchaseDate, &DmiState::NewPurchaseDate},
};

std::string PresentValue(const Field& field) {
  const char* value = firmware::Firmware().CurrentFirmwareIdentity.*field.present;
  return std::string(value, strnlen(value, firmware::kIdentityFieldSize - 1));
}

// Copies each field whose length matches the present value's, in order, up
// to the first that does not; that one gets its message. Only the length
// counts: any characters are accepted.
bool TakeTypedValues(os::WindowRef dialog) {
  for (const Field& field : kFields) {
    const std::string typed = os::Os().dialogs->GetItemText(dialog, field.control, kFieldReadMax);
    const size_t length = PresentValue(field).size();
    if (typed.size() != length) {
      core::ShowMessage(core::box::kInformation, "Error : String length", field.lengthMessage,
                        static_cast<int>(length));
      return false;
    }
    std::memcpy(Dmi().*field.typed, typed.c_str(), length + 1);
  }
  return true;
}

class DmiSettingsDialog : public os::DialogEvents {
 public:
  void OnInit(os::WindowRef dialog) override {
    for (const Field& field : kFields)
      os::Os().dialogs->SetItemText(dialog, field.control, PresentValue(field));
    os::Os().dialogs->FocusItem(dialog, kSystemSerialField);
  }

  void OnCommand(os::WindowRef dialog, int commandId) override {
    if (commandId == kOkCommand) {
      if (!TakeTypedValues(dialog)) return;
      Dmi().DmiDialogAccepted = 1;
      os::Os().dialogs->End(dialog, kOkCommand);
    } else if (commandId == kCancelCommand) {
      os::Os().dialogs->End(dialog, kCancelCommand);
    }
  }

  void OnTimer(os::WindowRef, int) override {}
  void OnPrivate(os::WindowRef, int, uintptr_t) override {}
  // No quit message: this dialog runs on the main thread, whose next
  // message box would take it and close at once.
  void OnDestroy(os::WindowRef) override {}
};

}  // namespace

bool ShowDmiSettingsDialog() {
  DmiSettingsDialog events;
  // Only OK sets it: Cancel, Escape and the close box leave it 0.
  Dmi().DmiDialogAccepted = 0;
  os::Dialogs& dialogs = *os::Os().dialogs;
  const os::ModuleRef module = core::Shared().ResourceModule;
  if (dialogs.RunModal(module, kDmiTemplate, 0, &events) != kNotCreated) return true;
  // A language library without the template: the executable's own copy.
  const os::ModuleRef own = os::Os().ui->OwnModule();
  return module && module != own && dialogs.RunModal(own, kDmiTemplate, 0, &events) != kNotCreated;
}

}  // namespace ui
