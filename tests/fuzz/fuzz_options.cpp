// Fuzzes the option parsers with arbitrary command-line text.
#include <cstdint>
#include <cstring>
#include <string>

#include "app/options.h"
#include "app/sequence_state.h"
#include "core/shared_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the parser; the rest is the command line (NUL-terminated, as the entry
  // gets it).
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  text = text.c_str();
  for (int path = 0; path < 2; ++path) {
    app::ResetRunState();
    std::string buffer = text;
    char* micom = app::Sequence().MicomCommandLine;
    char* flash = app::Sequence().FlashCommandLine;
    const core::ResultCode r = (data[0] & 1)
                                   ? app::ParseAmiOptions(micom, flash, buffer.data(), path)
                                   : app::ParseOptions(micom, flash, buffer.data());
    if (r != core::ResultSuccess && r != core::ResultInvalidOption) __builtin_trap();
    // The command lines must stay terminated within their buffers.
    if (std::memchr(micom, 0, core::kCommandLineSize) == nullptr) __builtin_trap();
    if (std::memchr(flash, 0, core::kCommandLineSize) == nullptr) __builtin_trap();
  }
  return 0;
}
