// Every message box of the updater passes through ShowMessage, which stays
// silent (and answers OK) under NoMessageBox.
#pragma once

#include <cstdint>
#include <string>

#include "core/format.h"

namespace core {

namespace box {
inline constexpr uint32_t kError = 0x10;        // OK, error icon
inline constexpr uint32_t kInformation = 0x40;  // OK, information icon
inline constexpr uint32_t kConfirm = 0x41;      // OK and Cancel, information icon
}  // namespace box

inline constexpr int kTextBufferSize = 256;

int ShowMessageArgs(uint32_t type, const std::string& title, std::string_view format,
                    std::initializer_list<FormatArg> args);

template <typename... Args>
int ShowMessage(uint32_t type, const std::string& title, std::string_view format,
                const Args&... args) {
  return ShowMessageArgs(type, title, format, {FormatArg(args)...});
}

// String `id` of ResourceModule (the executable's own table when none is
// loaded), cut to `size` - 1 characters; empty when there is no such text.
std::string LoadText(uint32_t id, int size = kTextBufferSize);

}  // namespace core
