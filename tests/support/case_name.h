// gtest prints a parameterised case by its `name`, so failure messages and
// the ctest list say which case it is instead of showing its bytes. Bring
// it into the namespace of the case types with `using
// testing_support::PrintTo;`, where gtest looks for it.
#pragma once

#include <ostream>

namespace testing_support {

// Constrained, so it wins over gtest's own template for these types only.
template <typename Case>
requires requires(const Case& c) {
  c.name;
}
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

}  // namespace testing_support
