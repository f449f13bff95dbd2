// Fuzzes the message formatter: any format text against a fixed set of
// arguments must format or come back as it stands, never read past them.
#include <cstdint>
#include <string>

#include "core/format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string format(reinterpret_cast<const char*>(data), size);
  const std::string none = core::FormatText(format, {});
  const std::string some = core::FormatText(format, {"text", 42, "more"});
  const std::string numbers = core::FormatText(format, {-7, 0x7FFFFFFF});
  if (none.size() > core::kFormattedMax || some.size() > core::kFormattedMax ||
      numbers.size() > core::kFormattedMax)
    __builtin_trap();
  return 0;
}
