// A machine profile: the simulated notebook's description, read from JSON.
// docs/profile.md documents every field; sections that belong to one part of
// the simulation (hardware, drivers, utilities) are read by that part from
// `json`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace sim {

struct MessageBoxAnswer {
  std::string titleContains;  // empty: the next box, whatever its title
  int answer = 1;             // 1 OK, 2 Cancel, 0 the box cannot be shown
};

struct Profile {
  std::string name;
  // Windows facts.
  uint32_t major = 6, minor = 1, build = 7601, platformId = 2;
  bool wow64 = false;  // IsWow64Process answers TRUE
  bool wow64FunctionMissing = false;
  uint16_t language = 0x0409;
  // Environment: unset variables are absent.
  std::optional<std::string> temp = std::string("C:\\Users\\tech\\AppData\\Local\\Temp");
  std::string modulePath = "C:\\Update\\OrvantaUpdate.exe";
  std::string startDirectory = "C:\\Update";
  // Power and disk.
  uint8_t acLine = 1, battery = 100;
  bool powerQueryFails = false;
  uint64_t freeBytes = 4ull << 30;
  bool freeSpaceQueryFails = false;
  bool threadStartFails = false;
  uint32_t priorityClass = 0x20;  // NORMAL_PRIORITY_CLASS
  std::vector<MessageBoxAnswer> messageBoxes;
  nlohmann::json json;  // the whole profile, for the sections read elsewhere
};

// False with `*error` set when the text is not a valid profile.
bool ParseProfile(const std::string& text, Profile* profile, std::string* error);
// As ParseProfile, with the file's folder as the profile's "folder" (where
// the files it names are found) unless the profile gives one.
bool LoadProfile(const std::string& path, Profile* profile, std::string* error);

}  // namespace sim
