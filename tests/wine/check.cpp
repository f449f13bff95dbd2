#include "check.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

namespace check {
namespace {

struct Case {
  const char* name;
  CaseFunction function;
};

std::vector<Case>& Cases() {
  static std::vector<Case> cases;
  return cases;
}

int g_passed = 0;
int g_failed = 0;
const char* g_current = "";

// Control characters spelled out, so that a failure line stays one line.
std::string Escape(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

Registrar::Registrar(const char* name, CaseFunction function) {
  Cases().push_back({name, function});
}

bool Record(bool ok, const char* file, int line, const char* expression,
            const std::string& detail) {
  if (ok) {
    ++g_passed;
    return true;
  }
  ++g_failed;
  std::printf("FAILED %s (%s:%d): %s%s%s\n", g_current, file, line, expression,
              detail.empty() ? "" : ": ", detail.c_str());
  std::fflush(stdout);
  return false;
}

std::string DescribeSigned(int64_t value) {
  char text[48];
  std::snprintf(text, sizeof text, "%" PRId64 " (0x%" PRIX64 ")", value,
                static_cast<uint64_t>(value));
  return text;
}
std::string DescribeUnsigned(uint64_t value) {
  char text[48];
  std::snprintf(text, sizeof text, "%" PRIu64 " (0x%" PRIX64 ")", value, value);
  return text;
}
std::string Describe(const std::string& value) {
  return "\"" + Escape(value) + "\"";
}
std::string Describe(const char* value) {
  return value ? Describe(std::string(value)) : "null";
}

int RunCases(const std::string& prefix) {
  int run = 0;
  for (const Case& c : Cases()) {
    if (std::string(c.name).compare(0, prefix.size(), prefix) != 0) continue;
    g_current = c.name;
    ++run;
    c.function();
  }
  if (run == 0) Record(false, __FILE__, __LINE__, "no test case matches", prefix);
  std::printf("%d passed, %d failed\n", g_passed, g_failed);
  std::fflush(stdout);
  return g_failed == 0 ? 0 : 1;
}

}  // namespace check
