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

// A file placed on the notebook's disks at boot.
struct PlacedFile {
  std::string path;
  std::string content;
  bool held = false;  // another process holds it open: it cannot be written, replaced or removed
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
  // A started thread runs when its starter first waits on an event, not at once.
  bool deferThreads = false;
  // What lies on the disks at boot: files, reparse points (path -> the directory they lead to),
  // and whether the TEMP folder exists.
  std::vector<PlacedFile> files;
  std::vector<std::pair<std::string, std::string>> links;
  bool createTemp = true;
  // Machine-wide named objects that other processes hold.
  std::vector<std::string> namedObjects;
  std::vector<MessageBoxAnswer> messageBoxes;
  nlohmann::json json;  // the whole profile, for the sections read elsewhere
};

// False with `*error` set when the text is not a valid profile.
bool ParseProfile(const std::string& text, Profile* profile, std::string* error);
// As ParseProfile, with the file's folder as the profile's "folder" (where
// the files it names are found) unless the profile gives one. A profile
// with "extends" (a profile file beside it) is that profile with its own
// fields merged over it as a JSON merge patch.
bool LoadProfile(const std::string& path, Profile* profile, std::string* error);

}  // namespace sim
