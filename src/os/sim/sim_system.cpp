#include "os/sim/sim_system.h"

#include <cstdio>

#include "os/sim/notebook.h"

namespace sim {

bool SimSystem::GetVariable(const std::string& name, std::string* value) {
  // Environment names are case-insensitive on Windows; only TEMP is modelled.
  if (name.size() != 4 || (name[0] | 0x20) != 't' || (name[1] | 0x20) != 'e' ||
      (name[2] | 0x20) != 'm' || (name[3] | 0x20) != 'p' || !profile_->temp) {
    return false;
  }
  *value = *profile_->temp;
  return true;
}

bool SimSystem::QueryVersionEx(os::VersionFacts* facts) {
  facts->major = profile_->major;
  facts->minor = profile_->minor;
  facts->build = profile_->build;
  facts->platformId = profile_->platformId;
  return true;
}

uint32_t SimSystem::Version() {
  // GetVersion: low byte major, next byte minor, top bit set on the 9x family.
  uint32_t v = (profile_->minor << 8) | profile_->major;
  if (profile_->platformId == 2) return v | ((profile_->build & 0x7FFF) << 16);
  return v | 0xC0000000u;
}

bool SimSystem::QueryWow64(int32_t* isWow64) {
  if (profile_->wow64FunctionMissing) return false;
  *isWow64 = profile_->wow64 ? 1 : 0;
  return true;
}

bool SimSystem::QueryPowerStatus(os::PowerStatus* status) {
  if (profile_->powerQueryFails) return false;
  status->acLineStatus = profile_->acLine;
  status->batteryPercent = profile_->battery;
  return true;
}

void SimSystem::WriteStandardError(std::string_view text) {
  transcript_->Add("stderr", Escape(text));
}

void SimSystem::ExitProcess(uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int32_t>(code));
  transcript_->Add("exit", text);
  throw ProcessExit{code};
}

namespace {
std::string Hex8(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}
}  // namespace

bool SimSystem::SetPriorityClass(uint32_t priorityClass) {
  // The classes SetPriorityClass knows; anything else is refused.
  static constexpr uint32_t kClasses[] = {0x20, 0x40, 0x80, 0x100, 0x4000, 0x8000};
  bool known = false;
  for (uint32_t c : kClasses) known = known || c == priorityClass;
  if (!known) {
    transcript_->Add("priority", Hex8(priorityClass) + " refused");
    return false;
  }
  transcript_->Add("priority", Hex8(priorityClass_) + " -> " + Hex8(priorityClass));
  priorityClass_ = priorityClass;
  return true;
}

void SimSystem::EnableShutdownPrivilege() {
  // The 9x family has no tokens; the calls fail there.
  if (profile_->platformId != 2) return;
  shutdownPrivilege_ = true;
  transcript_->Add("power", "shutdown privilege enabled");
}

bool SimSystem::RequestExitWindows(uint32_t flags, uint32_t* error) {
  if (profile_->platformId == 2 && !shutdownPrivilege_) {
    *error = os::error::kPrivilegeNotHeld;
    transcript_->Add("power", "ExitWindowsEx " + Hex8(flags) + " refused (error 1314)");
    return false;
  }
  transcript_->Add("power", "ExitWindowsEx " + Hex8(flags) + ": the session ends");
  throw ProcessExit{0};
}

}  // namespace sim
