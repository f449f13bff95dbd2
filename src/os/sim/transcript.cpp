#include "os/sim/transcript.h"

#include <cstdio>

namespace sim {

void Transcript::Add(std::string_view kind, std::string_view text) {
  std::string line(kind);
  line += ": ";
  line += text;
  lines_.push_back(std::move(line));
}

std::vector<std::string> Transcript::Of(std::string_view kind) const {
  std::vector<std::string> result;
  for (const std::string& line : lines_) {
    if (line.size() >= kind.size() + 2 && line.compare(0, kind.size(), kind) == 0 &&
        line.compare(kind.size(), 2, ": ") == 0) {
      result.push_back(line.substr(kind.size() + 2));
    }
  }
  return result;
}

std::string Transcript::Text() const {
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += '\n';
  }
  return text;
}

std::string Escape(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    switch (c) {
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

}  // namespace sim
