#include "package/member_name.h"

#include <cstring>

#include "os/ascii_case.h"
#include "package/layout.h"

namespace package {
namespace {

// Windows opens these as devices whatever the extension and whatever
// blanks precede the first dot ("con .txt", "COM1.sys").
bool IsDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (ascii_case::Same(base, device)) return true;
  if (base.size() != 4) return false;
  const std::string_view stem = base.substr(0, 3);
  if (!ascii_case::Same(stem, "COM") && !ascii_case::Same(stem, "LPT")) return false;
  // Digits, and the superscript digits of the ANSI code page that Windows
  // also maps to the ports.
  const unsigned char digit = static_cast<unsigned char>(base[3]);
  return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

NameFault CheckFileName(std::string_view name) {
  if (name.empty()) return NameFault::kEmpty;
  for (char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\') return NameFault::kSeparator;
    if (c == ':') return NameFault::kColon;
    if (byte < 0x20) return NameFault::kControlCharacter;
    if (std::strchr("*?\"<>|", c) != nullptr) return NameFault::kReservedCharacter;
  }
  if (name.back() == '.' || name.back() == ' ') return NameFault::kTrailingDotOrSpace;
  if (IsDeviceName(name)) return NameFault::kDeviceName;
  return NameFault::kNone;
}

}  // namespace

bool HasCompressedSuffix(std::string_view stored) {
  return stored.size() > kCompressedSuffix.size() && stored.ends_with(kCompressedSuffix);
}

std::string_view ExtractedName(std::string_view stored) {
  if (!HasCompressedSuffix(stored)) return stored;
  return stored.substr(0, stored.size() - kCompressedSuffix.size());
}

NameFault CheckStoredName(std::string_view stored) {
  if (stored.size() >= kNameSize) return NameFault::kTooLong;
  // A NUL inside would cut the name short when it is written to the field.
  if (stored.find('\0') != std::string_view::npos) return NameFault::kControlCharacter;
  if (stored == kCompressedSuffix) return NameFault::kEmpty;
  const NameFault fault = CheckFileName(stored);
  if (fault != NameFault::kNone) return fault;
  return CheckFileName(ExtractedName(stored));
}

NameFault CheckNameField(const uint8_t* field, std::string* stored) {
  const void* end = std::memchr(field, 0, kNameSize);
  if (end == nullptr) return NameFault::kNotTerminated;
  stored->assign(reinterpret_cast<const char*>(field), static_cast<const uint8_t*>(end) - field);
  return CheckStoredName(*stored);
}

const char* NameFaultText(NameFault fault) {
  switch (fault) {
    case NameFault::kNone:
      return "is valid";
    case NameFault::kNotTerminated:
      return "is not terminated within its 260 bytes";
    case NameFault::kTooLong:
      return "is longer than 259 bytes";
    case NameFault::kEmpty:
      return "is empty";
    case NameFault::kSeparator:
      return "holds a slash or backslash";
    case NameFault::kColon:
      return "holds a colon";
    case NameFault::kControlCharacter:
      return "holds a control character";
    case NameFault::kReservedCharacter:
      return "holds one of * ? \" < > |";
    case NameFault::kTrailingDotOrSpace:
      return "ends in a dot or a space";
    case NameFault::kDeviceName:
      return "is a device name";
  }
  return "is invalid";
}

std::string PrintableName(std::string_view name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (char c : name.substr(0, kNameSize)) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      text += c;
    } else {
      text += "\\x";
      text += kHex[byte >> 4];
      text += kHex[byte & 0xF];
    }
  }
  return text;
}

}  // namespace package
