// Every string-table text the updater loads, with the size of the buffer it
// is loaded into and the arguments it is formatted with, and the dialog
// templates it opens. The callers reach texts only through the constants of
// Texts, each typed by its arguments, so that no text is loaded without an
// entry here or shown with other arguments than its entry gives; the
// package tool's check reads the same table when it tests a language
// library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>

namespace core {

inline constexpr int kTextBufferSize = 256;  // the terminator included

inline constexpr uint32_t kProgressDialogTemplate = 117;
inline constexpr uint32_t kDmiDialogTemplate = 116;

// X(Name, string-table ID, buffer size, argument types...). Identifiers 6,
// 10 to 15, 28 and 47 are not used.
#define ORV_UPDATER_TEXTS(X)                                                                \
  X(Introduction, 1, kTextBufferSize)                                                       \
  X(UnpackTask, 2, kTextBufferSize)                                                         \
  X(BiosTask, 3, kTextBufferSize)                                                           \
  X(MicomTask, 4, kTextBufferSize)                                                          \
  X(PreparingExtraction, 5, kTextBufferSize)                                                \
  X(PreparingBios, 7, kTextBufferSize)                                                      \
  X(PreparingMicom, 8, kTextBufferSize)                                                     \
  X(UnpackFailed, 9, kTextBufferSize)                                                       \
  X(StartupWarning, 16, 512)                                                                \
  X(CurrentVersionLabel, 17, kTextBufferSize)                                               \
  X(NewVersionLabel, 18, kTextBufferSize)                                                   \
  X(DriverLoadFailed, 19, kTextBufferSize)                                                  \
  X(PowerCycleNotice, 20, kTextBufferSize)                                                  \
  X(ModelMismatch, 21, kTextBufferSize, const char*, const char*, const char*, const char*) \
  X(DiskSpace, 22, kTextBufferSize, long, int)                                              \
  X(HddPassword, 23, kTextBufferSize)                                                       \
  X(DmiTask, 24, kTextBufferSize)                                                           \
  X(InvalidOption, 25, kTextBufferSize)                                                     \
  X(AutoOnFailed, 26, kTextBufferSize)                                                      \
  X(InitFailed, 27, kTextBufferSize)                                                        \
  X(MicomFailed, 29, kTextBufferSize)                                                       \
  X(InvalidBiosFile, 30, kTextBufferSize)                                                   \
  X(InvalidMicomFile, 31, kTextBufferSize)                                                  \
  X(SmiFailed, 32, kTextBufferSize)                                                         \
  X(DirectoryFailed, 33, kTextBufferSize)                                                   \
  X(NoAcAdapter, 34, kTextBufferSize)                                                       \
  X(BatteryLow, 35, kTextBufferSize)                                                        \
  X(BiosDate, 36, kTextBufferSize)                                                          \
  X(NoPowerSource, 37, kTextBufferSize)                                                     \
  X(WarningTitle, 38, kTextBufferSize)                                                      \
  X(CompleteTitle, 39, kTextBufferSize)                                                     \
  X(AutoOnTitle, 40, kTextBufferSize)                                                       \
  X(DiskSpaceTitle, 41, kTextBufferSize)                                                    \
  X(FatalErrorTitle, 42, kTextBufferSize)                                                   \
  X(UnpackTitle, 43, kTextBufferSize)                                                       \
  X(HddPasswordTitle, 44, kTextBufferSize)                                                  \
  X(DriverLoadTitle, 45, kTextBufferSize)                                                   \
  X(ModelTitle, 46, kTextBufferSize)                                                        \
  X(MicomTitle, 48, kTextBufferSize)                                                        \
  X(BiosFileTitle, 49, kTextBufferSize)                                                     \
  X(MicomFileTitle, 50, kTextBufferSize)                                                    \
  X(SmiTitle, 51, kTextBufferSize)                                                          \
  X(DirectoryTitle, 52, kTextBufferSize)                                                    \
  X(PowerTitle, 53, kTextBufferSize)                                                        \
  X(InvalidOptionTitle, 54, kTextBufferSize)                                                \
  X(BiosDateTitle, 55, kTextBufferSize)

// A text whose format takes Args, in order; Text<> takes none.
template <typename... Args>
class Text {
 public:
  constexpr uint32_t id() const { return id_; }
  constexpr int bufferSize() const { return bufferSize_; }

 private:
  friend struct Texts;
  constexpr Text(uint32_t id, int bufferSize) : id_(id), bufferSize_(bufferSize) {}
  uint32_t id_;
  int bufferSize_;
};

struct Texts {
#define ORV_TEXT_CONSTANT(name, id, size, ...) static constexpr Text<__VA_ARGS__> k##name{id, size};
  ORV_UPDATER_TEXTS(ORV_TEXT_CONSTANT)
#undef ORV_TEXT_CONSTANT
};

// The kind of conversion an argument fills: 's' for a string, 'd' for an
// integer (any integer conversion).
template <typename T>
constexpr char ArgumentKind() {
  static_assert(std::is_integral_v<T> || std::is_same_v<T, const char*>,
                "texts take integers and strings");
  return std::is_integral_v<T> ? 'd' : 's';
}
template <typename... Args>
inline constexpr char kArgumentKinds[] = {ArgumentKind<Args>()..., '\0'};

// The table as data, for the package tool's check.
struct TextUse {
  uint32_t id;
  int bufferSize;
  const char* arguments;  // one kind letter per argument, in order
  const char* name;
};
inline constexpr TextUse kTextUses[] = {
#define ORV_TEXT_USE(name, id, size, ...) {id, size, kArgumentKinds<__VA_ARGS__>, #name},
    ORV_UPDATER_TEXTS(ORV_TEXT_USE)
#undef ORV_TEXT_USE
};

constexpr bool TextIdsAscend() {
  for (size_t i = 1; i < std::size(kTextUses); ++i)
    if (kTextUses[i - 1].id >= kTextUses[i].id) return false;
  return true;
}
static_assert(TextIdsAscend(), "one entry per text, in identifier order");

}  // namespace core
