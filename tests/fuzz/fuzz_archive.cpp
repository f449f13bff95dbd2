// libFuzzer target for the package reader: the input is the whole
// executable file. It is probed and extracted, whole and by member, on a
// simulated notebook whose disk is a scratch folder; a fatal extraction ends
// as sim::ProcessExit. After each input nothing may exist outside the work
// folder but the executable itself.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/sequence_state.h"
#include "core/shared_state.h"
#include "os/sim/notebook.h"
#include "package/archive.h"
#include "package/extract.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kWorkFolder = "C:\\Work";

class Machine {
 public:
  Machine() {
    scratch_ = fs::temp_directory_path() / ("orv-fuzz-archive-" + std::to_string(getpid()));
    fs::remove_all(scratch_);
    notebook_ = std::make_unique<sim::Notebook>(sim::Profile{}, scratch_.string());
  }
  ~Machine() {
    notebook_.reset();
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
  }
  sim::Notebook& notebook() { return *notebook_; }

  // Every file the input left must be the executable or lie directly in the
  // work folder; the work folder is emptied for the next input.
  void CheckAndClear() {
    const fs::path module = notebook_->files().HostPath(notebook_->profile().modulePath);
    const fs::path work = notebook_->files().HostPath(kWorkFolder);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(scratch_)) {
      if (entry.is_directory()) continue;
      if (entry.path() != module && entry.path().parent_path() != work) {
        std::fprintf(stderr, "file written outside the work folder: %s\n", entry.path().c_str());
        std::abort();
      }
    }
    fs::remove_all(work);
  }

 private:
  fs::path scratch_;
  std::unique_ptr<sim::Notebook> notebook_;
};

Machine& TheMachine() {
  static Machine machine;
  return machine;
}

template <typename Step>
void UntilExit(Step step) {
  try {
    step();
  } catch (const sim::ProcessExit&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Machine& machine = TheMachine();
  sim::Notebook& notebook = machine.notebook();
  notebook.Install();
  notebook.transcript().Clear();
  app::ResetRunState();
  const std::string path = notebook.profile().modulePath;
  notebook.files().Put(path, std::string(reinterpret_cast<const char*>(data), size));
  notebook.files().MakeDirectories(kWorkFolder);
  notebook.files().ChangeDirectory(kWorkFolder);

  uint32_t offset = 0;
  package::ReadArchiveOffset(path, &offset);
  package::ProbePackageHeader(path, offset);
  UntilExit([&] { package::ExtractAllMembers(path, offset); });
  UntilExit([] { package::ExtractSingleMember("addmem.sys"); });
  UntilExit([] { package::ExtractSingleMember(""); });
  machine.CheckAndClear();
  return 0;
}
