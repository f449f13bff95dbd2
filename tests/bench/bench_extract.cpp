// Extraction benchmark (not a test): times the updater's whole-package
// extraction on the simulated notebook, whose disk is a host folder.
//
//   bench_extract PACKAGE SCRATCH      extract PACKAGE into SCRATCH's work folder
//   bench_extract --split PACKAGE DIR  write each member's stored bytes to DIR,
//                                      for the comparison with gzip -dc
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/sequence_state.h"
#include "core/shared_state.h"
#include "os/sim/notebook.h"
#include "package/extract.h"
#include "package/layout.h"

namespace {

namespace fs = std::filesystem;

int Extract(const std::string& packagePath, const std::string& scratch) {
  fs::remove_all(scratch);
  sim::Notebook notebook(sim::Profile{}, scratch);
  notebook.Install();
  app::ResetRunState();
  const std::string module = notebook.profile().modulePath;
  notebook.files().MakeDirectories("C:\\Update");
  fs::copy_file(packagePath, notebook.files().HostPath(module));
  notebook.files().MakeDirectories("C:\\Work");
  notebook.files().ChangeDirectory("C:\\Work");

  const auto start = std::chrono::steady_clock::now();
  uint32_t offset = 0;
  package::ArchiveResult result = package::ReadArchiveOffset(module, &offset);
  if (result == package::ArchiveSuccess) result = package::ExtractAllMembers(module, offset);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  uint64_t bytes = 0;
  int files = 0;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(notebook.files().HostPath("C:\\Work"))) {
    bytes += entry.file_size();
    ++files;
  }
  std::printf("result %d (%s): %d files, %llu bytes in %.3f s\n", result,
              package::ArchiveResultText(result), files, static_cast<unsigned long long>(bytes),
              seconds);
  return result == package::ArchiveSuccess ? 0 : 1;
}

int Split(const std::string& packagePath, const std::string& dir) {
  std::FILE* in = std::fopen(packagePath.c_str(), "rb");
  if (in == nullptr) return 1;
  fs::create_directories(dir);
  uint8_t dos[package::kDosHeaderSize], header[package::kHeaderSize];
  int status = 1;
  if (std::fread(dos, 1, sizeof dos, in) == sizeof dos &&
      std::fseek(in, static_cast<long>(package::Load32(dos + package::kArchiveOffsetField)),
                 SEEK_SET) == 0 &&
      std::fread(header, 1, sizeof header, in) == sizeof header && package::HasMagic(header)) {
    status = 0;
    const int32_t count = static_cast<int32_t>(package::Load32(header + 8));
    std::vector<char> buffer(65536);
    for (int32_t i = 0; i < count && status == 0; ++i) {
      uint8_t record[package::kRecordHeaderSize];
      if (std::fread(record, 1, sizeof record, in) != sizeof record) status = 1;
      record[package::kNameSize - 1] = 0;
      const int32_t size = static_cast<int32_t>(package::Load32(record + package::kNameSize));
      std::FILE* out = std::fopen((dir + "/" + reinterpret_cast<char*>(record)).c_str(), "wb");
      if (out == nullptr || size < 0) status = 1;
      for (int32_t left = size; left > 0 && status == 0;) {
        const size_t chunk = std::min<size_t>(left, buffer.size());
        if (std::fread(buffer.data(), 1, chunk, in) != chunk ||
            std::fwrite(buffer.data(), 1, chunk, out) != chunk)
          status = 1;
        left -= static_cast<int32_t>(chunk);
      }
      if (out != nullptr) std::fclose(out);
    }
  }
  std::fclose(in);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--split") return Split(argv[2], argv[3]);
  if (argc == 3) return Extract(argv[1], argv[2]);
  std::fprintf(stderr,
               "usage: bench_extract PACKAGE SCRATCH | bench_extract --split PACKAGE DIR\n");
  return 2;
}
