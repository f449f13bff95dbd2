#include "os/sim/utilities/behaviour.h"

#include "os/sim/utilities/command_line.h"
#include "os/little_endian.h"
#include "os/sim/utilities/text.h"

namespace utilities {
namespace {

using little_endian::Load16;
using little_endian::Load32;
using little_endian::Store16;

constexpr uint32_t kHeaderSize = 61, kTableOffsetField = 53, kEntrySize = 16;
constexpr uint32_t kMaxFileName = 260;

bool Matches(const uint8_t* at, const char* text, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i)
    if (at[i] != static_cast<uint8_t>(text[i])) return false;
  return true;
}

bool EndsWith(const char* name, const char* suffix) {
  const uint32_t n = Length(name), m = Length(suffix);
  return n >= m && SameStart(name + n - m, suffix, m);
}

void Put(uint8_t* out, uint32_t at, const char* text, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) out[at + i] = static_cast<uint8_t>(text[i]);
}

// "NAME: " followed by the rest.
Line Entry(const char* name) {
  Line line;
  line.Add(name).Add(": ");
  return line;
}

// The check of the file named first on the command line. True when it
// checks out; the record says what was found either way.
bool CheckGivenFile(const char* name, const char* commandLine, const Host& host) {
  char file[kMaxFileName];
  Line line = Entry(name);
  if (!Argument(commandLine, 1, file, sizeof file)) {
    host.record(host.context, line.Add("no file named").Text());
    return false;
  }
  line.Add(file).Add(": ");
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  bool good = false;
  if (!host.read(host.context, file, &data, &size)) {
    line.Add("not found");
  } else if (EndsWith(file, ".wph")) {
    const int32_t entries = FlashAreaEntries(data, size);
    good = entries >= 0;
    if (good)
      line.Add("flash-area table with ").Number(entries).Add(" entries");
    else
      line.Add("no flash-area table");
  } else {
    good = size > 0;
    if (good)
      line.Number(static_cast<int32_t>(size)).Add(" bytes");
    else
      line.Add("empty");
  }
  host.record(host.context, line.Text());
  return good;
}

void Leave(const char* name, const char* file, const uint8_t* data, uint32_t size,
           const Host& host) {
  Line line = Entry(name);
  line.Add(host.write(host.context, file, data, size) ? "left " : "could not write ").Add(file);
  host.record(host.context, line.Text());
}

void LeaveFiles(const char* name, const Script& script, const Host& host) {
  if (script.leavesNewSystemFile) {
    const uint32_t size = script.newSystemFile.size;
    uint8_t* image = size <= kLargestFile ? host.scratch(host.context, size) : nullptr;
    if (image) {
      BuildNewSystemFile(script.newSystemFile, image);
      Leave(name, "newSys.bin", image, size, host);
    } else {
      host.record(host.context, Entry(name).Add("could not write newSys.bin").Text());
    }
  }
  uint32_t cursor = 0;
  Leaf leaf;
  while (NextLeaf(script, &cursor, &leaf))
    Leave(name, leaf.name, leaf.content, leaf.contentSize, host);
}

}  // namespace

int32_t FlashAreaEntries(const uint8_t* image, uint32_t size) {
  const uint32_t start = size < 0x100000 ? 0x80000 : 0x100000;
  uint32_t header = 0, marker = 0;
  bool haveHeader = false, haveMarker = false;
  for (uint32_t at = start; at + 5 < size && !(haveHeader && haveMarker); ++at) {
    if (!haveHeader && Matches(image + at, "ZFLPF", 5)) header = at, haveHeader = true;
    if (!haveMarker && Matches(image + at, "ZQDS", 4)) marker = at, haveMarker = true;
  }
  if (!haveHeader || !haveMarker || size - header < kHeaderSize) return -1;
  const uint32_t first = header < marker ? header : marker;
  const uint32_t offset = Load32(image + header + kTableOffsetField);
  if (offset > size - first) return -1;
  const uint32_t table = first + offset;
  const uint32_t capacity = (size - table) / kEntrySize;
  for (uint32_t i = 0; i < capacity; ++i) {
    const uint8_t* entry = image + table + i * kEntrySize;
    if (Load32(entry) == 0 && Load32(entry + 4) == 0 && Load32(entry + 8) == 0 &&
        Load16(entry + 14) == 0)
      return static_cast<int32_t>(i);
  }
  return -1;  // no terminator before the end of the file
}

void BuildNewSystemFile(const NewSystemFile& file, uint8_t* out) {
  for (uint32_t i = 0; i < file.size; ++i) out[i] = 0xFF;
  const auto fits = [&](uint32_t at, uint32_t n) { return at <= file.size && n <= file.size - at; };
  if ((file.blocks & NewSystemFile::kDiag) && fits(kDiagBlock, 16)) {
    Put(out, kDiagBlock, "DiaG@", 5);
    Put(out, kDiagBlock + 12, file.model, 4);
  }
  if ((file.blocks & NewSystemFile::kDevel) && fits(kDevelBlock, 8)) {
    Put(out, kDevelBlock, "DEVEL", 5);
    Put(out, kDevelBlock + 5, file.part, 3);
  }
  if ((file.blocks & NewSystemFile::kBcpDmi) && fits(kBcpDmiBlock, 6))
    Put(out, kBcpDmiBlock, "BCPDMI", 6);
  if ((file.blocks & NewSystemFile::kBcpSys) && fits(kBcpSysBlock, 107)) {
    Put(out, kBcpSysBlock, "BCPSYS", 6);
    Store16(out + kBcpSysBlock + 105, file.bcpSysWord);
  }
}

bool ShowsWindow(const char* name) {
  return SameStart(name, "SWinFlash", 9);
}

int32_t RunUtility(const char* name, const char* commandLine, const char* directory,
                   const Script& script, const Host& host) {
  host.record(host.context, Entry(name).Add("command line ").Add(commandLine).Text());
  host.record(host.context, Entry(name).Add("working directory ").Add(directory).Text());
  const bool fileGood = CheckGivenFile(name, commandLine, host);
  if (ShowsWindow(name)) {
    Line line = Entry(name);
    line.Add("window \"").Add(kFlashToolWindowTitle).Add("\" ");
    const bool closed = host.showWindow(host.context, kFlashToolWindowTitle, script.windowMillis);
    host.record(host.context,
                line.Add(closed ? "closed by WM_CLOSE" : "shown until the end").Text());
  }
  LeaveFiles(name, script, host);
  const int32_t code = fileGood ? script.exitCode : script.fileErrorExitCode;
  host.record(host.context, Entry(name).Add("exit ").Number(code).Text());
  return code;
}

}  // namespace utilities
