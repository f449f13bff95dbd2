#include "os/sim/sim_processes.h"

#include <cstdio>
#include <vector>

#include "os/sim/utilities/behaviour.h"
#include "os/sim/utilities/command_line.h"
#include "os/sim/utilities/text.h"
#include "os/sim/utility_profile.h"

namespace sim {
namespace {

using Ending = os::ProcessOutcome::Ending;

// The utility's view: files of its working directory, its window, its record.
struct UtilityHost {
  SimFileSystem* files;
  SimDialogs* dialogs;
  Transcript* transcript;
  std::string directory;
  std::string content;
  std::vector<uint8_t> scratch;

  std::string PathOf(const char* name) const {
    const std::string text = name;
    const bool absolute = (text.size() > 1 && text[1] == ':') || (!text.empty() && text[0] == '\\');
    return absolute ? text : directory + (directory.ends_with('\\') ? "" : "\\") + text;
  }
  static UtilityHost& Of(void* context) { return *static_cast<UtilityHost*>(context); }
  static bool Read(void* context, const char* name, const uint8_t** data, uint32_t* size) {
    UtilityHost& host = Of(context);
    const std::string path = host.PathOf(name);
    if (host.files->IsDirectory(path) || !host.files->Get(path, &host.content)) return false;
    *data = reinterpret_cast<const uint8_t*>(host.content.data());
    *size = static_cast<uint32_t>(host.content.size());
    return true;
  }
  static bool Write(void* context, const char* name, const uint8_t* data, uint32_t size) {
    UtilityHost& host = Of(context);
    return host.files->Put(host.PathOf(name),
                           std::string(reinterpret_cast<const char*>(data), size));
  }
  static uint8_t* Scratch(void* context, uint32_t size) {
    UtilityHost& host = Of(context);
    host.scratch.assign(size, 0);
    return host.scratch.data();
  }
  static bool ShowWindow(void* context, const char* title, uint32_t milliseconds) {
    return Of(context).dialogs->ShowOtherProgramWindow(title, milliseconds);
  }
  static void Record(void* context, const char* line) {
    Of(context).transcript->Add("utility", line);
  }
};

bool HasExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  return dot != std::string::npos && dot > path.find_last_of('\\');
}

// The program's name as the profile's "utilities" keys give it: its file
// name without directory and ".exe".
std::string ProgramName(const std::string& program) {
  std::string name = program.substr(program.find_last_of('\\') + 1);
  if (name.size() > 4 && utilities::SameText(name.c_str() + name.size() - 4, ".exe"))
    name.resize(name.size() - 4);
  return name;
}

}  // namespace

std::string SimProcesses::FindProgram(const std::string& commandLine) {
  utilities::Span candidates[utilities::kMaxProgramCandidates];
  const uint32_t count = utilities::ProgramCandidates(commandLine.c_str(), candidates,
                                                      utilities::kMaxProgramCandidates);
  // The simulated system has no system folders or PATH to search: a
  // relative name is taken from the current directory.
  for (uint32_t i = 0; i < count; ++i) {
    std::string name = commandLine.substr(candidates[i].start, candidates[i].length);
    if (!HasExtension(name)) name += ".exe";
    const std::string path = files_->FullPath(name);
    if (files_->Exists(path) && !files_->IsDirectory(path)) return path;
  }
  return {};
}

os::ProcessOutcome SimProcesses::RunAndWait(const std::string& commandLine,
                                            const std::string& workingDirectory) {
  const std::string started = commandLine + " (in " + workingDirectory + ")";
  os::ProcessOutcome outcome;
  const auto notStarted = [&](uint32_t error) {
    transcript_->Add("process", started + ": not started (error " + std::to_string(error) + ")");
    outcome.error = error;
    return outcome;
  };
  const std::string program = FindProgram(commandLine);
  if (program.empty()) return notStarted(os::error::kFileNotFound);
  const std::string directory =
      workingDirectory.empty() ? files_->CurrentDirectory() : files_->FullPath(workingDirectory);
  if (!files_->IsDirectory(directory)) return notStarted(os::error::kDirectoryInvalid);
  const std::string name = ProgramName(program);
  const UtilitySetup setup = ReadUtilitySetup(profile_->json, name);
  std::string image;
  files_->Get(program, &image);
  if (setup.startFails || image.compare(0, 2, "MZ") != 0)
    return notStarted(os::error::kBadExeFormat);

  utilities::Script script;
  utilities::DecodeScript(setup.script.data(), static_cast<uint32_t>(setup.script.size()), &script);
  UtilityHost state{files_, dialogs_, transcript_, directory, {}, {}};
  const utilities::Host host{&state,
                             &UtilityHost::Read,
                             &UtilityHost::Write,
                             &UtilityHost::Scratch,
                             &UtilityHost::ShowWindow,
                             &UtilityHost::Record};
  const int32_t code =
      utilities::RunUtility(name.c_str(), commandLine.c_str(), directory.c_str(), script, host);
  if (setup.exitCodeUnreadable) {
    transcript_->Add("process", started + ": " + program + " -> exit code unreadable (error 6)");
    outcome.ending = Ending::kExitCodeUnknown;
    outcome.error = os::error::kInvalidHandle;
    return outcome;
  }
  transcript_->Add("process", started + ": " + program + " -> exit " + std::to_string(code));
  outcome.ending = Ending::kExited;
  outcome.exitCode = static_cast<uint32_t>(code);
  return outcome;
}

}  // namespace sim
