#include "core/log.h"

#include "os/os.h"

namespace core {

void WriteLogLine(std::string_view format, std::initializer_list<FormatArg> args) {
  std::string line = FormatText(format, args);
  // Opened per line so the log is complete up to the last line even when
  // the machine goes off right after; a second writer at the same instant
  // loses its line rather than interleaving.
  os::FileHandle file = os::Os().files->Open(kLogFileName, os::Access::kWrite,
                                             os::Disposition::kOpenAlways, os::Share::kRead);
  if (!file || !file->SeekToEnd()) return;
  line += "\r\n";
  uint32_t written = 0;
  file->Write(line.data(), static_cast<uint32_t>(line.size()), &written);
}

}  // namespace core
