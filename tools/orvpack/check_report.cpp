#include "check_report.h"

#include <cstdio>

namespace orvpack {

void CheckReport::Print(const char* label, const std::string& scope, const std::string& text) {
  std::printf("%s: %s%s: %s\n", package_.c_str(), label, scope.c_str(), text.c_str());
}

void CheckReport::Error(const std::string& scope, const std::string& text) {
  Print("ERROR: ", scope, text);
  ++errors_;
}

void CheckReport::Warning(const std::string& scope, const std::string& text) {
  Print("WARNING: ", scope, text);
  ++warnings_;
}

void CheckReport::Info(const std::string& scope, const std::string& text) {
  Print("", scope, text);
}

}  // namespace orvpack
