#include "os/sim/sim_processes.h"

#include <cstdio>

namespace sim {
namespace {

// The program named by a command line: its first token without directory
// part and without ".exe", as the profile's "utilities" keys name it.
std::string ProgramName(const std::string& commandLine) {
  std::string first = commandLine.substr(0, commandLine.find(' '));
  const size_t slash = first.find_last_of("\\/");
  if (slash != std::string::npos) first = first.substr(slash + 1);
  if (first.size() > 4) {
    std::string ext = first.substr(first.size() - 4);
    for (char& c : ext) c = static_cast<char>(c | 0x20);
    if (ext == ".exe") first.resize(first.size() - 4);
  }
  return first;
}

}  // namespace

bool SimProcesses::RunAndWait(const std::string& commandLine, const std::string& workingDirectory,
                              uint32_t* exitCode) {
  const std::string name = ProgramName(commandLine);
  const std::string program =
      workingDirectory + (workingDirectory.ends_with('\\') ? "" : "\\") + name + ".exe";
  if (!files_->Exists(program) && !files_->Exists(name + ".exe")) {
    transcript_->Add("process", commandLine + " (in " + workingDirectory + "): not found");
    return false;
  }
  int32_t code = 0;
  const auto& utilities =
      profile_->json.contains("utilities") ? profile_->json["utilities"] : nlohmann::json::object();
  for (auto it = utilities.begin(); it != utilities.end(); ++it) {
    std::string key = it.key();
    if (key.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < key.size(); ++i) same = same && ((key[i] | 0x20) == (name[i] | 0x20));
    if (!same) continue;
    code = it.value().value("exitCode", 0);
    if (it.value().contains("leaves")) {
      for (auto f = it.value()["leaves"].begin(); f != it.value()["leaves"].end(); ++f)
        files_->Put(workingDirectory + "\\" + f.key(), f.value().get<std::string>());
    }
  }
  char tail[32];
  std::snprintf(tail, sizeof tail, " -> exit %d", code);
  transcript_->Add("process", commandLine + " (in " + workingDirectory + ")" + tail);
  *exitCode = static_cast<uint32_t>(code);
  return true;
}

}  // namespace sim
