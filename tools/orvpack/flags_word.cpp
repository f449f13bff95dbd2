#include "flags_word.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/update_flags.h"
#include "host_files.h"
#include "os/ascii_case.h"

namespace orvpack {
namespace {

bool ParseNumber(const std::string& text, uint32_t* value) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long number = std::strtoull(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || number > 0xFFFFFFFFull) return false;
  *value = static_cast<uint32_t>(number);
  return true;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool ParseFlagsWord(const std::string& text, uint32_t* value, std::string* error) {
  uint32_t word = 0;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find_first_of("|,", start);
    const std::string part =
        Trimmed(text.substr(start, end == std::string::npos ? end : end - start));
    uint32_t bits = 0;
    bool known = ParseNumber(part, &bits);
    for (const core::UpdateFlagName& flag : core::kUpdateFlagNames) {
      if (!known && ascii_case::Same(part, flag.name)) {
        bits = flag.value;
        known = true;
      }
    }
    if (!known) {
      *error = part.empty() ? "empty part in flags word \"" + text + "\""
                            : "unknown flag \"" + part + "\"";
      return false;
    }
    word |= bits;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  *value = word;
  return true;
}

std::string DescribeFlagsWord(uint32_t value) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(value));
  const std::string names = core::UpdateFlagNames(value);
  return std::string(hex) + " " + (names.empty() ? "(none)" : names);
}

}  // namespace orvpack
