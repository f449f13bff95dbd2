#include "os/sim/utility_profile.h"

#include <stdexcept>

#include "os/ascii_case.h"
#include "os/little_endian.h"
#include "os/sim/utilities/script.h"

namespace sim {
namespace {

using nlohmann::json;

int64_t Integer(const json& entry, const char* field, int64_t fallback) {
  if (!entry.contains(field)) return fallback;
  const json& v = entry[field];
  try {
    if (v.is_string()) return std::stoll(v.get<std::string>(), nullptr, 0);
    if (v.is_number_integer()) return v.get<int64_t>();
  } catch (const std::exception&) {
  }
  throw std::runtime_error(std::string("profile: bad number in utilities \"") + field + "\"");
}

std::string Text(const json& entry, const char* field, size_t length) {
  const std::string text = entry.value(field, "");
  if (text.size() > length)
    throw std::runtime_error(std::string("profile: utilities \"") + field + "\" is longer than " +
                             std::to_string(length));
  return text;
}

void Put32(std::vector<uint8_t>* out, size_t at, uint32_t value) {
  little_endian::Store32(out->data() + at, value);
}

uint8_t Blocks(const json& newSys) {
  if (!newSys.contains("blocks")) return utilities::NewSystemFile::kAllBlocks;
  static const std::pair<const char*, uint8_t> kNames[] = {
      {"DiaG@", utilities::NewSystemFile::kDiag},
      {"DEVEL", utilities::NewSystemFile::kDevel},
      {"BCPDMI", utilities::NewSystemFile::kBcpDmi},
      {"BCPSYS", utilities::NewSystemFile::kBcpSys}};
  uint8_t blocks = 0;
  for (const json& name : newSys["blocks"]) {
    bool known = false;
    for (const auto& [text, bit] : kNames)
      if (name == text) blocks |= bit, known = true;
    if (!known) throw std::runtime_error("profile: unknown newSys block " + name.dump());
  }
  return blocks;
}

std::vector<uint8_t> EncodeScript(const json& entry) {
  const utilities::Script defaults;
  std::vector<uint8_t> out(utilities::kScriptHeaderSize, 0);
  out[0] = 'O', out[1] = 'R', out[2] = 'V', out[3] = 'U';
  Put32(&out, 4, utilities::kScriptVersion);
  Put32(&out, 8, static_cast<uint32_t>(Integer(entry, "exitCode", defaults.exitCode)));
  Put32(&out, 12,
        static_cast<uint32_t>(Integer(entry, "fileErrorExitCode", defaults.fileErrorExitCode)));
  Put32(&out, 16, static_cast<uint32_t>(Integer(entry, "windowMillis", defaults.windowMillis)));
  if (entry.contains("newSys")) {
    const json& newSys = entry["newSys"];
    Put32(&out, 20, utilities::kScriptLeavesNewSystemFile);
    Put32(&out, 24, static_cast<uint32_t>(Integer(newSys, "size", defaults.newSystemFile.size)));
    little_endian::Store16(out.data() + 28, static_cast<uint16_t>(Integer(newSys, "bcpsys", 0)));
    out[30] = Blocks(newSys);
    const std::string model = Text(newSys, "model", 4), part = Text(newSys, "part", 3);
    std::copy(model.begin(), model.end(), out.begin() + 32);
    std::copy(part.begin(), part.end(), out.begin() + 36);
  }
  if (entry.contains("leaves")) {
    const json& leaves = entry["leaves"];
    Put32(&out, 40, static_cast<uint32_t>(leaves.size()));
    for (auto it = leaves.begin(); it != leaves.end(); ++it) {
      const std::string name = it.key(), content = it.value().get<std::string>();
      const size_t at = out.size();
      out.resize(at + 2 + name.size() + 1 + 4 + content.size());
      little_endian::Store16(out.data() + at, static_cast<uint16_t>(name.size() + 1));
      std::copy(name.begin(), name.end(), out.begin() + static_cast<long>(at + 2));
      Put32(&out, at + 3 + name.size(), static_cast<uint32_t>(content.size()));
      std::copy(content.begin(), content.end(),
                out.begin() + static_cast<long>(at + 7 + name.size()));
    }
  }
  return out;
}

UtilitySetup ReadSetup(const json& entry) {
  UtilitySetup setup;
  setup.script = EncodeScript(entry);
  setup.startFails = entry.value("startFails", false);
  setup.exitCodeUnreadable = entry.value("exitCodeUnreadable", false);
  return setup;
}

}  // namespace

UtilitySetup ReadUtilitySetup(const json& profile, const std::string& name) {
  if (profile.contains("utilities")) {
    const json& utilities = profile["utilities"];
    for (auto it = utilities.begin(); it != utilities.end(); ++it)
      if (ascii_case::Same(it.key(), name)) return ReadSetup(it.value());
  }
  return ReadSetup(json::object());
}

std::vector<std::pair<std::string, UtilitySetup>> ReadUtilitySetups(const json& profile) {
  std::vector<std::pair<std::string, UtilitySetup>> setups;
  if (profile.contains("utilities")) {
    const json& utilities = profile["utilities"];
    for (auto it = utilities.begin(); it != utilities.end(); ++it)
      setups.emplace_back(it.key(), ReadSetup(it.value()));
  }
  return setups;
}

}  // namespace sim
