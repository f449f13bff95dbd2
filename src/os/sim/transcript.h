// The record of what a simulated run did, in the order it happened. Each
// entry is one line "kind: text"; docs/transcript.md lists the kinds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sim {

class Transcript {
 public:
  void Add(std::string_view kind, std::string_view text);
  const std::vector<std::string>& Lines() const { return lines_; }
  // Lines of one kind, without the "kind: " prefix.
  std::vector<std::string> Of(std::string_view kind) const;
  std::string Text() const;  // every line, each ending in "\n"
  void Clear() { lines_.clear(); }

 private:
  std::vector<std::string> lines_;
};

// Makes control characters visible ("\n", "\r", "\t", "\xNN") so that a
// message text stays on one transcript line.
std::string Escape(std::string_view text);

}  // namespace sim
