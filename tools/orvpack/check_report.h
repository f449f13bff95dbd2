// What check says, one line each on standard output:
//   PACKAGE: ERROR: SCOPE: TEXT    the package cannot do its job on the
//                                  machines SCOPE names
//   PACKAGE: WARNING: SCOPE: TEXT  it works there, but maybe not as its
//                                  maker expects
//   PACKAGE: SCOPE: TEXT           what the updater will find (no finding)
// SCOPE names a firmware path, a Windows family or width, a language, or
// "every machine".
#pragma once

#include <string>

namespace orvpack {

inline constexpr const char* kEveryMachine = "every machine";
inline constexpr const char* kPhoenix = "Phoenix firmware";
inline constexpr const char* kAmi = "AMI firmware";

class CheckReport {
 public:
  explicit CheckReport(std::string package) : package_(std::move(package)) {}

  void Error(const std::string& scope, const std::string& text);
  void Warning(const std::string& scope, const std::string& text);
  void Info(const std::string& scope, const std::string& text);

  int errors() const { return errors_; }
  int warnings() const { return warnings_; }

 private:
  void Print(const char* label, const std::string& scope, const std::string& text);

  std::string package_;
  int errors_ = 0, warnings_ = 0;
};

}  // namespace orvpack
