// The device manager and the wait cursor. Wine lists devices (none of
// class Mouse) and reports none as disableable, so only reading is checked:
// nothing here changes a device.
#include "seam_test.h"

TEST_CASE(device_manager_lists_present_devices_with_their_class) {
  os::DeviceManager& manager = *os::Os().deviceManager;
  const os::DeviceListRef list = manager.OpenPresentDevices();
  if (!CHECK(list != 0)) return;
  uint32_t count = 0;
  while (count < 10000 && manager.HasDevice(list, count)) ++count;
  CHECK(count > 0);
  CHECK(!manager.HasDevice(list, count));
  // The buffer protocol: no buffer gives the size, which then suffices.
  uint32_t required = 0, error = 0;
  CHECK(!manager.ReadClassName(list, 0, nullptr, 0, &required, &error));
  CHECK_EQ(error, os::error::kInsufficientBuffer);
  CHECK(required >= 4 && required % 2 == 0);
  std::string name(required, '\xEE');
  CHECK(manager.ReadClassName(list, 0, name.data(), required, &required, &error));
  CHECK(name[0] != 0);
  CHECK(name[required - 2] == 0 && name[required - 1] == 0);  // NUL-terminated UTF-16
  uint32_t status = 0xEEEE, problem = 0xEEEE;
  CHECK(manager.NodeStatus(list, 0, &status, &problem));
  CHECK(!manager.NodeStatus(list, count, &status, &problem));
  manager.ClosePresentDevices(list);
}

TEST_CASE(ui_wait_cursor_is_shown_and_restored) {
  os::UserInterface& ui = *os::Os().ui;
  const os::CursorRef previous = ui.ShowWaitCursor();
  const os::CursorRef wait = ui.ShowWaitCursor();  // the one just set
  CHECK(wait != 0);
  CHECK(wait != previous);
  ui.RestoreCursor(previous);
  CHECK_EQ(ui.ShowWaitCursor(), previous);
  ui.RestoreCursor(previous);
}
