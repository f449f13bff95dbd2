#include "core/format.h"

#include <cstdio>
#include <vector>

namespace core {
namespace {

// One conversion of a format: its text ("%-8ld") and its type.
struct Conversion {
  size_t start = 0;
  size_t length = 0;
  char type = 0;  // 'd', 'i', 'u', 'x', 'X', 'c' or 's'
};

bool IsIntegerType(char c) {
  return c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X' || c == 'c';
}

// Parses the conversion at format[i] == '%'. False when it is not one we
// format (unknown letter, "%n", a lone "%" at the end or before ".").
bool ParseConversion(std::string_view format, size_t i, Conversion* conversion) {
  size_t j = i + 1;
  bool alternate = false, zeroPadded = false, precise = false;
  while (j < format.size() && (format[j] == '-' || format[j] == '+' || format[j] == ' ' ||
                               format[j] == '#' || format[j] == '0')) {
    alternate = alternate || format[j] == '#';
    zeroPadded = zeroPadded || format[j] == '0';
    ++j;
  }
  size_t digits = 0;
  while (j < format.size() && format[j] >= '0' && format[j] <= '9' && digits < 3) ++j, ++digits;
  if (j < format.size() && format[j] == '.') {
    ++j;
    size_t precision = 0;
    while (j < format.size() && format[j] >= '0' && format[j] <= '9' && precision < 3)
      ++j, ++precision;
    if (precision == 0) return false;  // "30%. " is text, not a conversion
    precise = true;
  }
  while (j < format.size() && (format[j] == 'l' || format[j] == 'h')) ++j;
  if (j >= format.size()) return false;
  const char type = format[j];
  if (!IsIntegerType(type) && type != 's') return false;
  // Flags the C library leaves undefined for the type: refused, not guessed.
  const bool hexadecimal = type == 'x' || type == 'X';
  if ((alternate && !hexadecimal) || (zeroPadded && (type == 's' || type == 'c')) ||
      (precise && type == 'c'))
    return false;
  conversion->start = i;
  conversion->length = j - i + 1;
  conversion->type = type;
  return true;
}

// Formats one validated conversion. Integers are 32-bit, as "%d" and "%ld"
// are on Windows.
std::string FormatOne(std::string_view conversion, char type, const FormatArg& arg) {
  std::string directive(conversion.substr(0, conversion.size() - 1));
  while (!directive.empty() && (directive.back() == 'l' || directive.back() == 'h'))
    directive.pop_back();
  char piece[kFormattedMax + 1];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  if (type == 's') {
    directive += 's';
    std::snprintf(piece, sizeof piece, directive.c_str(), arg.string);
  } else if (type == 'c') {
    directive += 'c';
    std::snprintf(piece, sizeof piece, directive.c_str(),
                  static_cast<int>(static_cast<char>(arg.integer)));
  } else if (type == 'd' || type == 'i') {
    directive += "ld";
    std::snprintf(piece, sizeof piece, directive.c_str(),
                  static_cast<long>(static_cast<int32_t>(arg.integer)));
  } else {
    directive += 'l';
    directive += type;
    std::snprintf(piece, sizeof piece, directive.c_str(),
                  static_cast<unsigned long>(static_cast<uint32_t>(arg.integer)));
  }
#pragma GCC diagnostic pop
  return piece;
}

std::string AsItStands(std::string_view format) {
  return std::string(format.substr(0, kFormattedMax));
}

}  // namespace

bool ConversionKinds(std::string_view format, std::string* kinds) {
  kinds->clear();
  for (size_t i = 0; i < format.size();) {
    if (format[i] != '%') {
      ++i;
    } else if (i + 1 < format.size() && format[i + 1] == '%') {
      i += 2;
    } else {
      Conversion c;
      if (!ParseConversion(format, i, &c)) return false;
      *kinds += c.type == 's' ? 's' : 'd';
      i += c.length;
    }
  }
  return true;
}

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args) {
  std::string kinds;
  if (!ConversionKinds(format, &kinds) || kinds.size() != args.size()) return AsItStands(format);
  const FormatArg* arg = args.begin();
  for (const char kind : kinds)
    if ((kind == 's') != ((arg++)->kind == FormatArg::Kind::kString)) return AsItStands(format);
  std::string out;
  arg = args.begin();
  for (size_t i = 0; i < format.size();) {
    if (format[i] != '%') {
      out += format[i++];
    } else if (format[i + 1] == '%') {  // a pair: ConversionKinds saw both
      out += '%';
      i += 2;
    } else {
      Conversion c;
      ParseConversion(format, i, &c);
      out += FormatOne(format.substr(c.start, c.length), c.type, *arg++);
      i += c.length;
    }
  }
  if (out.size() > kFormattedMax) out.resize(kFormattedMax);
  return out;
}

}  // namespace core
