// Text helpers for the outside-utility model, which also builds into the
// substitute programs: no C or C++ library.
#pragma once

#include <stdint.h>

namespace utilities {

inline uint32_t Length(const char* text) {
  uint32_t n = 0;
  while (text[n] != '\0') ++n;
  return n;
}

inline char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The first `n` characters of both, without regard to ASCII letter case.
inline bool SameStart(const char* a, const char* b, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i)
    if (Lower(a[i]) != Lower(b[i]) || a[i] == '\0') return false;
  return true;
}

inline bool SameText(const char* a, const char* b) {
  const uint32_t n = Length(a);
  return n == Length(b) && (n == 0 || SameStart(a, b, n));
}

// A line built piece by piece in a fixed buffer; what does not fit is cut.
class Line {
 public:
  static constexpr uint32_t kSize = 1024;
  Line& Add(const char* text) { return Add(text, Length(text)); }
  Line& Add(const char* text, uint32_t length) {
    for (uint32_t i = 0; i < length && used_ + 1 < kSize; ++i) text_[used_++] = text[i];
    text_[used_] = '\0';
    return *this;
  }
  Line& Number(int32_t value) {
    char digits[12];
    uint32_t n = 0;
    uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
      digits[n++] = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude);
    if (value < 0) Add("-");
    while (n) Add(&digits[--n], 1);
    return *this;
  }
  const char* Text() const { return text_; }

 private:
  char text_[kSize] = {};
  uint32_t used_ = 0;
};

}  // namespace utilities
