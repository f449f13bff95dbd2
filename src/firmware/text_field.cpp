#include "firmware/text_field.h"

namespace firmware {

void CopyText(char* to, size_t size, const uint8_t* from, size_t count) {
  if (size == 0) return;
  size_t n = 0;
  while (n < count && n + 1 < size && from[n] != 0) {
    to[n] = static_cast<char>(from[n]);
    ++n;
  }
  to[n] = '\0';
}

int32_t DecimalValue(const uint8_t* text, size_t count) {
  size_t i = 0;
  auto space = [](uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < count && space(text[i])) ++i;
  bool negative = false;
  if (i < count && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // The fields are 8 characters, far from the limits; the clamp only keeps
  // longer input from overflowing.
  int64_t value = 0;
  for (; i < count && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT32_MAX) value = INT32_MAX;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace firmware
