// What the DMI step learns during a run: the values the user typed into the
// DMI dialog, to be written by the flash tool. One instance; tests start
// afresh with ResetDmiState().
#pragma once

#include <cstdint>

#include "firmware/firmware_state.h"

namespace ui {

struct DmiState {
  // At most 31 characters each, as the identity fields they replace.
  firmware::IdentityField NewSystemSerial = {};
  firmware::IdentityField NewBiosFlag = {};
  firmware::IdentityField NewPurchaseDate = {};
  // 1 after OK, 0 after Cancel, Escape or the close box.
  uint32_t DmiDialogAccepted = 0;
};

DmiState& Dmi();
void ResetDmiState();

}  // namespace ui
