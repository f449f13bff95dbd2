#include "os/sim/profile_fields.h"

#include <stdexcept>

#include "os/sim/host_files.h"

namespace sim {

uint64_t Number(const nlohmann::json& v, const char* field) {
  try {
    if (v.is_string()) return std::stoull(v.get<std::string>(), nullptr, 0);
    if (v.is_boolean()) return v.get<bool>() ? 1 : 0;
    return v.get<uint64_t>();
  } catch (const std::exception&) {
    throw std::runtime_error(std::string("profile: bad number in \"") + field + "\"");
  }
}

uint64_t NumberOr(const nlohmann::json& object, const char* field, uint64_t fallback) {
  return object.contains(field) ? Number(object[field], field) : fallback;
}

void Place(machine::Machine* m, uint64_t address, const std::vector<uint8_t>& bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    uint8_t* at = m->memory.At(address + i);
    if (!at) throw std::runtime_error("profile: memory contents outside the modelled ranges");
    *at = bytes[i];
  }
}

std::vector<uint8_t> ReadProfileFile(const nlohmann::json& profile, const std::string& name) {
  const std::string folder = profile.value("folder", "");
  const bool relative = !name.empty() && name[0] != '/';
  const std::string path = relative && !folder.empty() ? folder + "/" + name : name;
  std::string content;
  if (!ReadHostFile(path, &content)) throw std::runtime_error("profile: cannot read " + path);
  return std::vector<uint8_t>(content.begin(), content.end());
}

}  // namespace sim
