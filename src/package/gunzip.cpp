#include "package/gunzip.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "os/os.h"
#include "package/diagnostics.h"
#include "package/member_name.h"

namespace package {
namespace {

constexpr unsigned kDecompressionBufferSize = 16384;

// Closes both streams and deletes the incomplete output before the process
// ends, so that nothing half-written stays under the member's final name.
[[noreturn]] void Abandon(gzFile input, std::FILE* output, const std::string& outputName,
                          const std::string& reason) {
  if (output != nullptr) std::fclose(output);
  if (input != nullptr) gzclose(input);
  os::Os().files->Remove(outputName);
  EndExtraction(ProgramName() + ": " + reason);
}

// The gzip reader's error text names the file as it was opened; on the
// simulated notebook that is a host path, so it is put back as the member's
// own name and both builds report the same line.
std::string ReaderError(gzFile input, const std::string& openedAs, const std::string& inputName) {
  int code = 0;
  std::string reason = gzerror(input, &code);
  const std::string prefix = openedAs + ": ";
  if (openedAs != inputName && reason.compare(0, prefix.size(), prefix) == 0)
    reason = inputName + ": " + reason.substr(prefix.size());
  return reason;
}

}  // namespace

void GunzipMember(const std::string& name) {
  os::FileSystem& files = *os::Os().files;
  const bool compressed = HasCompressedSuffix(name);
  const std::string inputName = compressed ? name : name + std::string(kCompressedSuffix);
  const std::string outputName(ExtractedName(name));

  const std::string hostInput = files.HostPath(inputName);
  gzFile input = gzopen(hostInput.c_str(), "rb");
  if (input == nullptr) EndExtraction(ProgramName() + ": can't gzopen " + inputName);

  std::FILE* output = std::fopen(files.HostPath(outputName).c_str(), "wb");
  if (output == nullptr) {
    const int error = errno;
    gzclose(input);
    EndExtraction(ProgramName() + ": " + name + ": " + std::strerror(error));
  }

  char buffer[kDecompressionBufferSize];
  for (;;) {
    const int count = gzread(input, buffer, sizeof buffer);
    if (count < 0) Abandon(input, output, outputName, ReaderError(input, hostInput, inputName));
    if (count == 0) break;
    if (std::fwrite(buffer, 1, static_cast<size_t>(count), output) != static_cast<size_t>(count))
      Abandon(input, output, outputName, "failed fwrite");
  }
  if (std::fclose(output) != 0) Abandon(input, nullptr, outputName, "failed fclose");
  // A stream that ends early reads as its end; gzclose reports it.
  if (gzclose(input) != Z_OK) Abandon(nullptr, nullptr, outputName, "failed gzclose");
  files.Remove(inputName);
}

}  // namespace package
