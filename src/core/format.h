// printf-style formatting that can never read an argument the caller did not
// pass: a format whose conversions do not match the arguments (a stray "%s"
// in a translated text, "%n", a lone "%" as in "30%. ") comes back as it
// stands. The result is cut to 1023 characters.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace core {

inline constexpr size_t kFormattedMax = 1023;

struct FormatArg {
  enum class Kind { kInteger, kString } kind;
  long long integer = 0;
  const char* string = nullptr;

  template <typename T>
  requires std::is_integral_v<T> FormatArg(T value)
      : kind(Kind::kInteger), integer(static_cast<long long>(value)) {}
  FormatArg(const char* value) : kind(Kind::kString), string(value ? value : "(null)") {}
  FormatArg(const std::string& value) : kind(Kind::kString), string(value.c_str()) {}
};

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);

// The arguments `format` takes as FormatText reads it, one letter each in
// order: 's' for a string, 'd' for an integer. False when it holds a '%'
// that starts no conversion FormatText formats (an unknown letter, "%n", a
// lone '%'): FormatText then shows it as it stands, whatever it is given.
bool ConversionKinds(std::string_view format, std::string* kinds);

}  // namespace core
