// Flash-area patch benchmark (not a test): times PatchFlashAreaTable on
// images of 1.5, 3 and 16 MiB whose markers lie just behind the image
// proper, as in real ones, on the simulated notebook (host files, page
// cache warm). Beside it, the same search done as its procedure reads, five
// bytes per position through the file, for comparison.
//
//   bench_patch SCRATCH
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/sequence_state.h"
#include "core/shared_state.h"
#include "core/update_flags.h"
#include "firmware/flash_area_patch.h"
#include "os/sim/notebook.h"
#include "support/image_files.h"

namespace {

using Clock = std::chrono::steady_clock;

// Filler bytes, then the header, the marker and a table of ten areas
// 0x9000 bytes before the end.
std::string Image(size_t size) {
  const size_t header = size - 0x9000 + 0x1B;
  image_test::PhoenixLayout layout{size, header, header + 0x700, 87, {}};
  for (uint32_t i = 0; i < 10; ++i)
    layout.rows.push_back({0x10000, 0x10000 * i, 0xFFF00000 + 0x10000 * i, 0x5A5A, 0x0102});
  return image_test::PhoenixImage(layout);
}

// The search as the procedure reads: position and read five bytes at each
// offset from 1 MiB until both markers are seen.
bool SearchByPosition(const std::string& name) {
  os::FileHandle file = os::Os().files->Open(name, os::Access::kRead,
                                             os::Disposition::kOpenExisting, os::Share::kRead);
  uint64_t size = 0;
  if (!file || !file->Size(&size)) return false;
  bool header = false, marker = false;
  for (uint64_t at = 0x100000; at + 5 < size && !(header && marker); ++at) {
    char bytes[5];
    uint32_t got = 0;
    if (!file->SeekTo(static_cast<int64_t>(at)) || !file->Read(bytes, 5, &got) || got != 5)
      return false;
    header = header || std::memcmp(bytes, "ZFLPF", 5) == 0;
    marker = marker || std::memcmp(bytes, "ZQDS", 4) == 0;
  }
  return header && marker;
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_patch SCRATCH\n");
    return 2;
  }
  std::filesystem::remove_all(argv[1]);
  sim::Notebook notebook(sim::Profile{}, argv[1]);
  notebook.Install();
  app::ResetRunState();
  notebook.files().MakeDirectories("C:\\Work");
  notebook.files().ChangeDirectory("C:\\Work");
  core::Shared().UpdateFlags = core::FlashLastArea;

  for (const size_t size : {size_t{0x180000}, size_t{0x300000}, size_t{0x1000000}}) {
    const std::string image = Image(size);
    std::vector<double> patch, byPosition;
    for (int run = 0; run < 21; ++run) {
      notebook.files().Put("bios.wph", image);
      const auto start = Clock::now();
      const int marked = firmware::PatchFlashAreaTable();
      patch.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      if (marked != 1) {
        std::fprintf(stderr, "bench_patch: the patch did not mark the last entry\n");
        return 1;
      }
    }
    for (int run = 0; run < 3; ++run) {
      const auto start = Clock::now();
      if (!SearchByPosition("bios.wph")) return 1;
      byPosition.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::printf(
        "%5.1f MiB: PatchFlashAreaTable %7.3f ms (median of 21); search by position %9.1f ms\n",
        size / 1048576.0, Median(patch), Median(byPosition));
  }
  return 0;
}
