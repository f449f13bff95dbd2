// Message boxes, resource texts and the mouse cursor of the simulated
// notebook. Message boxes are answered from the profile's script (OK when
// it says nothing); cursor changes reach the transcript.
#pragma once

#include <cstddef>

#include "os/os.h"
#include "os/sim/profile.h"
#include "os/sim/transcript.h"

namespace sim {

class Notebook;

class SimUi : public os::UserInterface {
 public:
  static constexpr os::ModuleRef kExecutableModule = 0x400000;

  SimUi(Profile* profile, Transcript* transcript, Notebook* notebook)
      : profile_(profile), transcript_(transcript), notebook_(notebook) {}
  int ShowMessageBox(os::WindowRef owner, const std::string& text, const std::string& title,
                     uint32_t type) override;
  os::ModuleRef OwnModule() override { return kExecutableModule; }
  int LoadText(os::ModuleRef module, uint32_t id, char* buffer, int size) override;
  os::CursorRef ShowWaitCursor() override;
  void RestoreCursor(os::CursorRef previous) override;

  static constexpr os::CursorRef kArrowCursor = 0x10011, kWaitCursor = 0x10013;
  os::CursorRef Cursor() const { return cursor_; }

 private:
  Profile* profile_;
  Transcript* transcript_;
  Notebook* notebook_;  // for the loaded language libraries
  size_t nextAnswer_ = 0;
  os::CursorRef cursor_ = kArrowCursor;
};

}  // namespace sim
