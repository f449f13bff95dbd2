#include "app/options.h"

#include <cstring>

#include "app/sequence_state.h"
#include "core/shared_state.h"
#include "core/update_flags.h"

namespace app {
namespace {

constexpr size_t kTokenSize = 256;

enum class Match { kExact, kPrefix };

enum class Effect {
  kMicomForce,
  kMicomSerial,
  kMicomAuto,
  kMode,
  kBbl,
  kBreakCmos,
  kSetFlags,
  kReadBios,
};

struct Option {
  const char* name;  // the "/" form; the "-" form differs only in its first character
  Match match;
  size_t prefixLength;
  Effect effect;
  uint32_t flags;
};

// In the order tested; the first row that matches is applied.
constexpr Option kOptions[] = {
    {"/MFORCE", Match::kExact, 0, Effect::kMicomForce, 0},
    {"/MSERIAL", Match::kExact, 0, Effect::kMicomSerial, 0},
    {"/MAUTO", Match::kExact, 0, Effect::kMicomAuto, 0},
    {"/MODE", Match::kPrefix, 5, Effect::kMode, 0},
    {"/BBL", Match::kPrefix, 4, Effect::kBbl, 0},
    {"/BLOCK_POWER_OFF", Match::kPrefix, 16, Effect::kSetFlags, core::BlockPowerOff},
    {"/SKIP_CHECK_PART", Match::kPrefix, 16, Effect::kSetFlags, core::SkipCheckPart},
    {"/SKIP_CHECK_MODEL", Match::kPrefix, 17, Effect::kSetFlags, core::SkipCheckModel},
    {"/SKIP_UPDATE_MICOM", Match::kPrefix, 18, Effect::kSetFlags, core::SkipUpdateMicom},
    {"/NO_MESSAGEBOX", Match::kPrefix, 14, Effect::kSetFlags, core::NoMessageBox},
    {"/BREAK_CMOS", Match::kPrefix, 10, Effect::kBreakCmos, 0},
    {"/BREAK_ESCD", Match::kPrefix, 10, Effect::kSetFlags, core::BreakEscd},
    {"/READ_BIOS", Match::kPrefix, 10, Effect::kReadBios, 0},
    {"/SKIP_UPDATE_FILES", Match::kPrefix, 18, Effect::kSetFlags, core::SkipUpdateFiles},
    {"/SKIP_CHECK_DATE", Match::kPrefix, 16, Effect::kSetFlags, core::SkipCheckDate},
    {"/SKIP_CHECK_POWER", Match::kPrefix, 17, Effect::kSetFlags, core::SkipCheckPower},
    {"/VISTA_UPGRADE", Match::kPrefix, 14, Effect::kSetFlags,
     core::VistaUpgrade | core::NoMessageBox | core::BlockPowerOff},
};

constexpr size_t kAmiOptionCount = 3;  // only the MICOM options serve the AMI path

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool FormMatches(const char* token, char lead, const Option& option) {
  if (token[0] != lead) return false;
  const char* rest = option.name + 1;
  if (option.match == Match::kExact) return std::strcmp(token + 1, rest) == 0;
  return std::strncmp(token + 1, rest, option.prefixLength - 1) == 0;
}

const Option* FindOption(const char* token, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (FormMatches(token, '/', kOptions[i]) || FormMatches(token, '-', kOptions[i]))
      return &kOptions[i];
  }
  return nullptr;
}

// Appends `text` when the result still fits the 255 characters of a
// command-line buffer; a cut command line must never reach a flash utility.
bool Append(char* commandLine, const char* text) {
  const size_t used = std::strlen(commandLine);
  const size_t extra = std::strlen(text);
  if (used + extra >= static_cast<size_t>(core::kCommandLineSize)) return false;
  std::memcpy(commandLine + used, text, extra + 1);
  return true;
}

// Takes the next token off the front of `text` (and the blanks behind it)
// into `token`. 0: no token; 1: a token; -1: a token too long for its buffer.
int NextToken(char* text, char* token) {
  size_t start = 0;
  while (text[start] && IsBlank(text[start])) ++start;
  if (!text[start]) {
    text[0] = '\0';
    return 0;
  }
  size_t end = start;
  while (text[end] && !IsBlank(text[end])) ++end;
  const size_t length = end - start;
  if (length >= kTokenSize) return -1;
  std::memcpy(token, text + start, length);
  token[length] = '\0';
  while (text[end] && IsBlank(text[end])) ++end;
  std::memmove(text, text + end, std::strlen(text + end) + 1);
  for (size_t i = 0; i < length; ++i)
    if (token[i] >= 'a' && token[i] <= 'z') token[i] = static_cast<char>(token[i] - 'a' + 'A');
  return 1;
}

bool Apply(const Option& option, const char* token, char* micom, char* flash) {
  uint32_t& flags = core::Shared().UpdateFlags;
  switch (option.effect) {
    case Effect::kMicomForce:
      return Append(micom, " /FORCE");
    case Effect::kMicomSerial:
      return Append(micom, " /SERIAL");
    case Effect::kMicomAuto:
      return Append(micom, " /A");
    case Effect::kMode: {
      char blankAndToken[kTokenSize + 1] = " ";
      std::strcat(blankAndToken, token);
      if (!Append(flash, blankAndToken)) return false;
      const char digit = std::strlen(token) > 6 ? token[6] : '\0';
      if (digit == '3') flags |= core::DmiMode3;
      if (digit == '2') flags |= core::DmiMode2;
      if (digit == '1') flags |= core::DmiMode1;
      return true;
    }
    case Effect::kBbl:
      return Append(flash, " /BBL");
    case Effect::kBreakCmos:
      return Append(flash, " /C");
    case Effect::kSetFlags:
      flags |= option.flags;
      return true;
    case Effect::kReadBios:
      flags = core::ReadBios;
      return true;
  }
  return false;
}

core::ResultCode Parse(char* micom, char* flash, char* text, size_t optionCount) {
  char token[kTokenSize];
  for (;;) {
    const int next = NextToken(text, token);
    if (next == 0) return core::ResultSuccess;
    if (next < 0) return core::ResultInvalidOption;
    const Option* option = FindOption(token, optionCount);
    if (!option || !Apply(*option, token, micom, flash)) return core::ResultInvalidOption;
    if (option->effect == Effect::kReadBios)
      return core::ResultSuccess;  // later tokens are not read
  }
}

void SetDefault(char* commandLine, const char* text) {
  std::memset(commandLine, 0, core::kCommandLineSize);
  std::strcpy(commandLine, text);
}

}  // namespace

core::ResultCode ParseOptions(char* micomCommandLine, char* flashCommandLine, char* text) {
  SetDefault(micomCommandLine, kMicomDefault);
  SetDefault(flashCommandLine, kPhoenixFlashDefault);
  return Parse(micomCommandLine, flashCommandLine, text, sizeof kOptions / sizeof kOptions[0]);
}

core::ResultCode ParseAmiOptions(char* micomCommandLine, char* flashCommandLine, char* text,
                                 bool sixtyFourBitWindows) {
  SetDefault(micomCommandLine, kMicomDefault);
  SetDefault(flashCommandLine, sixtyFourBitWindows ? kAmiFlashDefault64 : kAmiFlashDefault32);
  return Parse(micomCommandLine, flashCommandLine, text, kAmiOptionCount);
}

}  // namespace app
