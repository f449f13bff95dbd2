// The rule every stored member name must pass before anything is written
// under it. A name comes from an untrusted package and becomes a file name
// in the work directory or in %TEMP%: it must stay a plain file name there,
// on every Windows file system, and must not reach a device.
//
// The rule applies to the stored name and to the name without ".gz" (the
// file the member becomes). The package tool applies the same rule when it
// builds, verifies and extracts packages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace package {

enum class NameFault {
  kNone,
  kNotTerminated,       // no NUL within the 260-byte field
  kTooLong,             // more than 259 bytes (the tool's inputs)
  kEmpty,               // also ".gz" alone
  kSeparator,           // '/' or '\': a directory part
  kColon,               // a drive or an alternate data stream
  kControlCharacter,    // bytes 1 to 31
  kReservedCharacter,   // * ? " < > |
  kTrailingDotOrSpace,  // Windows drops them, so the name would change; covers "." and ".."
  kDeviceName,          // CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, with any extension
};

inline constexpr std::string_view kCompressedSuffix = ".gz";

// True when the stored name marks gzip data: longer than the suffix and
// ending in it, lower case exactly.
bool HasCompressedSuffix(std::string_view stored);

// The name the member is extracted to: the stored name without ".gz" when
// it has the suffix, else the stored name itself.
std::string_view ExtractedName(std::string_view stored);

NameFault CheckStoredName(std::string_view stored);

// The same check on a record's raw 260-byte name field; `*stored` receives
// the name when it is terminated.
NameFault CheckNameField(const uint8_t* field, std::string* stored);

// Why a name was refused, for diagnostic lines ("holds a colon").
const char* NameFaultText(NameFault fault);

// The name with control and non-ASCII bytes shown as \xNN, at most 260
// bytes of it, so that a diagnostic line stays one printable line.
std::string PrintableName(std::string_view name);

}  // namespace package
