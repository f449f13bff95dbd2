// A small check framework for test programs that run under Wine (GoogleTest
// does not build with the executable's compiler). Each failed check prints
// one line; the run ends with "N passed, M failed".
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

namespace check {

using CaseFunction = void (*)();

struct Registrar {
  Registrar(const char* name, CaseFunction function);
};

// Records one check's outcome; `expression` and `detail` describe a failure.
bool Record(bool ok, const char* file, int line, const char* expression,
            const std::string& detail = {});

std::string DescribeSigned(int64_t value);
std::string DescribeUnsigned(uint64_t value);
std::string Describe(const std::string& value);
std::string Describe(const char* value);

template <typename T>
requires std::is_integral_v<T> || std::is_enum_v<T> std::string Describe(T value) {
  if constexpr (std::is_enum_v<T>)
    return DescribeSigned(static_cast<int64_t>(value));
  else if constexpr (std::is_signed_v<T>)
    return DescribeSigned(value);
  else
    return DescribeUnsigned(value);
}

template <typename A, typename B>
bool RecordEqual(const A& actual, const B& expected, const char* file, int line,
                 const char* expression) {
  const bool ok = actual == expected;
  return Record(
      ok, file, line, expression,
      ok ? std::string() : "got " + Describe(actual) + ", expected " + Describe(expected));
}

// Runs the cases whose name starts with `prefix` (all when empty) and
// prints the closing line; the process exit status: 0 when all passed.
int RunCases(const std::string& prefix);

}  // namespace check

#define CHECK(condition) \
  ::check::Record(static_cast<bool>(condition), __FILE__, __LINE__, #condition)
#define CHECK_EQ(actual, expected) \
  ::check::RecordEqual((actual), (expected), __FILE__, __LINE__, #actual " == " #expected)

// TEST_CASE(name) { ... } defines and registers one group of checks.
#define TEST_CASE(name)                                          \
  static void name();                                            \
  static const ::check::Registrar name##_registrar(#name, name); \
  static void name()
