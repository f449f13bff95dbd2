#include "os/sim/utilities/command_line.h"

namespace utilities {
namespace {

bool Blank(char c) {
  return c == ' ' || c == '\t';
}

// Writes into a bounded buffer; remembers when something did not fit.
struct Output {
  char* out;
  uint32_t size;
  uint32_t used = 0;
  bool fits = true;
  void Put(char c) {
    if (used + 1 < size)
      out[used++] = c;
    else
      fits = false;
  }
};

// Skips argv[0]: quotes group but are not escapes there.
uint32_t SkipProgram(const char* line) {
  uint32_t i = 0;
  bool quoted = false;
  while (line[i] != '\0' && (quoted || !Blank(line[i]))) {
    if (line[i] == '"') quoted = !quoted;
    ++i;
  }
  return i;
}

// Parses one argument starting at line[i] (not a blank); gives the index
// after it.
uint32_t ParseArgument(const char* line, uint32_t i, Output* out) {
  bool quoted = false;
  while (line[i] != '\0' && (quoted || !Blank(line[i]))) {
    uint32_t backslashes = 0;
    while (line[i] == '\\') ++backslashes, ++i;
    if (line[i] == '"') {
      for (uint32_t b = 0; b < backslashes / 2; ++b) out->Put('\\');
      if (backslashes % 2) {
        out->Put('"');
      } else if (quoted && line[i + 1] == '"') {
        out->Put('"');
        ++i;
        quoted = false;
      } else {
        quoted = !quoted;
      }
      ++i;
    } else {
      for (uint32_t b = 0; b < backslashes; ++b) out->Put('\\');
      if (line[i] != '\0' && (quoted || !Blank(line[i]))) out->Put(line[i++]);
    }
  }
  return i;
}

}  // namespace

uint32_t ProgramCandidates(const char* line, Span* candidates, uint32_t max) {
  if (max == 0 || line[0] == '\0') return 0;
  if (line[0] == '"') {
    uint32_t end = 1;
    while (line[end] != '\0' && line[end] != '"') ++end;
    candidates[0] = {1, end - 1};
    return end > 1 ? 1 : 0;
  }
  uint32_t count = 0;
  for (uint32_t i = 1;; ++i) {
    if (line[i] == '\0' || Blank(line[i])) {
      if (!Blank(line[i - 1]) && count < max) candidates[count++] = {0, i};
      if (line[i] == '\0') break;
    }
  }
  return count;
}

bool Argument(const char* line, uint32_t index, char* out, uint32_t size) {
  if (size == 0) return false;
  uint32_t i = SkipProgram(line);
  for (uint32_t n = 1;; ++n) {
    while (Blank(line[i])) ++i;
    if (line[i] == '\0') return false;
    Output text{out, size};
    i = ParseArgument(line, i, &text);
    if (n == index) {
      out[text.used] = '\0';
      return text.fits;
    }
  }
}

}  // namespace utilities
