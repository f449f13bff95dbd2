// Whole-file reads and writes of host files, for the simulation's tools and
// tests (profiles, packages, fixtures).
#pragma once

#include <string>

namespace sim {

bool ReadHostFile(const std::string& path, std::string* content);
bool WriteHostFile(const std::string& path, const std::string& content);

}  // namespace sim
