#include "dialog_template.h"

#include "os/little_endian.h"

namespace orvpack {
namespace {

constexpr uint32_t kSetFont = 0x40;  // DS_SETFONT (also part of DS_SHELLFONT)
constexpr uint16_t kOrdinal = 0xFFFF, kStaticClass = 0x0082;
constexpr uint32_t kStaticTypeMask = 0x1F, kStaticBitmap = 0x0E;  // SS_TYPEMASK, SS_BITMAP

// A cursor over the template's bytes; every read fails once past the end.
class Cursor {
 public:
  explicit Cursor(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool Skip(size_t count) {
    if (bytes_.size() - at_ < count) return false;
    at_ += count;
    return true;
  }
  bool Word(uint16_t* value) {
    if (bytes_.size() - at_ < 2) return false;
    *value = little_endian::Load16(bytes_.data() + at_);
    at_ += 2;
    return true;
  }
  bool Dword(uint32_t* value) {
    if (bytes_.size() - at_ < 4) return false;
    *value = little_endian::Load32(bytes_.data() + at_);
    at_ += 4;
    return true;
  }
  // Items start on a 4-byte boundary of the template.
  bool Align() { return Skip((4 - at_ % 4) % 4); }
  // A NUL-terminated UTF-16 string; its units in `text` when given.
  bool String(std::u16string* text) {
    for (uint16_t unit = 0; Word(&unit);) {
      if (unit == 0) return true;
      if (text) *text += static_cast<char16_t>(unit);
    }
    return false;
  }
  // A field that is empty (0), an ordinal (FFFF and a number) or a string.
  bool StringOrOrdinal(bool* isOrdinal, uint16_t* ordinal, std::u16string* text) {
    uint16_t first = 0;
    *isOrdinal = false;
    if (!Word(&first)) return false;
    if (first == 0) return true;
    if (first == kOrdinal) {
      *isOrdinal = true;
      return Word(ordinal);
    }
    if (text) *text += static_cast<char16_t>(first);
    return String(text);
  }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
};

// "#113" as a bitmap number.
bool NumberedName(const std::u16string& text, uint32_t* number) {
  if (text.size() < 2 || text.size() > 6 || text[0] != u'#') return false;
  uint32_t value = 0;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    value = value * 10 + (text[i] - u'0');
  }
  *number = value;
  return value <= 0xFFFF;
}

bool IsStaticClass(bool isOrdinal, uint16_t ordinal, const std::u16string& name) {
  if (isOrdinal) return ordinal == kStaticClass;
  const std::u16string expected = u"static";
  if (name.size() != expected.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if ((name[i] | 0x20) != expected[i]) return false;
  return true;
}

}  // namespace

bool ReadDialogTemplate(const std::vector<uint8_t>& bytes, DialogTemplateFacts* facts,
                        std::string* fault) {
  Cursor c(bytes);
  uint16_t version = 0, signature = 0, ordinal = 0;
  uint32_t style = 0;
  bool isOrdinal = false;
  const bool extended = bytes.size() >= 4 && little_endian::Load16(bytes.data()) == 1 &&
                        little_endian::Load16(bytes.data() + 2) == kOrdinal;
  bool read = extended ? c.Word(&version) && c.Word(&signature) && c.Skip(8) && c.Dword(&style)
                       : c.Dword(&style) && c.Skip(4);
  read = read && c.Word(&facts->items) && c.Skip(8) &&
         c.StringOrOrdinal(&isOrdinal, &ordinal, nullptr) &&  // menu
         c.StringOrOrdinal(&isOrdinal, &ordinal, nullptr) &&  // class
         c.String(nullptr);                                   // title
  if (read && (style & kSetFont) == kSetFont) {
    read = c.Skip(extended ? 6 : 2) && c.String(nullptr);
  }
  if (!read) {
    *fault = "the template ends inside its header";
    return false;
  }
  for (uint16_t i = 0; i < facts->items; ++i) {
    uint32_t itemStyle = 0;
    bool classOrdinal = false, titleOrdinal = false;
    uint16_t classNumber = 0, titleNumber = 0;
    std::u16string className, title;
    read = c.Align() &&
           (extended ? c.Skip(8) && c.Dword(&itemStyle) && c.Skip(8) && c.Skip(4)
                     : c.Dword(&itemStyle) && c.Skip(4) && c.Skip(8) && c.Skip(2)) &&
           c.StringOrOrdinal(&classOrdinal, &classNumber, &className) &&
           c.StringOrOrdinal(&titleOrdinal, &titleNumber, &title);
    // Creation data: its size word counts itself in the plain layout only.
    uint16_t extra = 0;
    if (!read || !c.Word(&extra) || !c.Skip(extended || extra < 2 ? extra : extra - 2u)) {
      *fault = "the template ends inside item " + std::to_string(i + 1) + " of " +
               std::to_string(facts->items);
      return false;
    }
    uint32_t bitmap = titleNumber;
    if (IsStaticClass(classOrdinal, classNumber, className) &&
        (itemStyle & kStaticTypeMask) == kStaticBitmap &&
        (titleOrdinal || NumberedName(title, &bitmap)))
      facts->bitmaps.push_back(bitmap);
  }
  return true;
}

}  // namespace orvpack
