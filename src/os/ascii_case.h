// Names Windows compares without regard to letter case (files, devices,
// services, package members): ASCII letters fold, nothing else, whatever the
// C library's locale says. Shared by every layer and tool.
#pragma once

#include <string>
#include <string_view>

namespace ascii_case {

inline char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline bool SameLetter(char a, char b) {
  return Upper(a) == Upper(b);
}

inline bool Same(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!SameLetter(a[i], b[i])) return false;
  return true;
}

inline bool StartsWith(std::string_view name, std::string_view prefix) {
  return name.size() >= prefix.size() && Same(name.substr(0, prefix.size()), prefix);
}

inline bool EndsWith(std::string_view name, std::string_view suffix) {
  return name.size() >= suffix.size() && Same(name.substr(name.size() - suffix.size()), suffix);
}

// `name` in capitals: a key under which names differing in case meet.
inline std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = Upper(c);
  return folded;
}

}  // namespace ascii_case
