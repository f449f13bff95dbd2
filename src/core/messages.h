// Every message box of the updater passes through ShowMessage, which stays
// silent (and answers OK) under NoMessageBox.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include "core/format.h"
#include "core/texts.h"

namespace core {

namespace box {
inline constexpr uint32_t kError = 0x10;        // OK, error icon
inline constexpr uint32_t kInformation = 0x40;  // OK, information icon
inline constexpr uint32_t kConfirm = 0x41;      // OK and Cancel, information icon
}  // namespace box

int ShowMessageArgs(uint32_t type, const std::string& title, std::string_view format,
                    std::initializer_list<FormatArg> args);

template <typename... Args>
int ShowMessage(uint32_t type, const std::string& title, std::string_view format,
                const Args&... args) {
  return ShowMessageArgs(type, title, format, {FormatArg(args)...});
}

// `text` from ResourceModule (the executable's own table when none is
// loaded), cut to fit its buffer; empty when there is no such text.
std::string LoadText(const Text<>& text);

// ShowText's part that is not a template.
int ShowTextArgs(uint32_t type, const Text<>& title, uint32_t textId, int textSize,
                 std::initializer_list<FormatArg> args);

// Shows string-table text `text` under string-table title `title`,
// formatted with the arguments its entry in the table gives.
template <typename... Args>
int ShowText(uint32_t type, const Text<>& title, const Text<Args...>& text,
             const std::type_identity_t<Args>&... args) {
  return ShowTextArgs(type, title, text.id(), text.bufferSize(), {FormatArg(args)...});
}

}  // namespace core
