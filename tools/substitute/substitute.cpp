// A stand-in for an outside utility (the flash tools, the MICOM tool) in
// tests and the demo package, built under each utility's file name. It
// behaves as the outside-utility model says (os/sim/utilities), which the
// simulated notebook runs too: it records its command line and working
// directory, checks the file it is given, shows the flash tool's window,
// leaves the files its script names and exits with the script's code.
//
// Its script is "NAME.script" (NAME: its own file name without ".exe") and
// its record lines are appended to "substitute-calls.txt", both in the
// folder named by the environment variable ORV_SUBSTITUTE_DIR, or in its
// current directory when that is not set. Without a script it uses the
// model's defaults. It never touches hardware.
//
// kernel32 and user32 alone, without the C runtime: the real utilities run
// beside the runtime libraries staged from the package, and those files
// (placeholders in the demo) must not decide whether the stand-in starts.
#include <windows.h>

#include "os/sim/utilities/behaviour.h"
#include "os/sim/utilities/script.h"
#include "os/sim/utilities/text.h"

// The compiler may call these for copies and fills even here.
extern "C" void* memcpy(void* to, const void* from, size_t n) {
  auto* t = static_cast<unsigned char*>(to);
  const auto* f = static_cast<const unsigned char*>(from);
  for (size_t i = 0; i < n; ++i) t[i] = f[i];
  return to;
}
extern "C" void* memset(void* to, int value, size_t n) {
  auto* t = static_cast<unsigned char*>(to);
  for (size_t i = 0; i < n; ++i) t[i] = static_cast<unsigned char>(value);
  return to;
}

namespace {

constexpr DWORD kPathSize = MAX_PATH;

char g_folder[kPathSize];  // where the script and the record live, "" for the current directory
char g_name[kPathSize];
uint8_t* g_read = nullptr;
uint8_t* g_scratch = nullptr;
bool g_closed = false;

void Release(uint8_t** block) {
  if (*block) VirtualFree(*block, 0, MEM_RELEASE);
  *block = nullptr;
}

uint8_t* Allocate(uint8_t** block, uint32_t size) {
  Release(block);
  *block = static_cast<uint8_t*>(
      VirtualAlloc(nullptr, size ? size : 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  return *block;
}

// `folder` followed by `name`, cut to fit.
void InFolder(const char* name, char* path) {
  utilities::Line line;
  line.Add(g_folder).Add(name);
  const char* text = line.Text();
  DWORD i = 0;
  for (; text[i] != '\0' && i + 1 < kPathSize; ++i) path[i] = text[i];
  path[i] = '\0';
}

bool ReadWhole(const char* name, const uint8_t** data, uint32_t* size) {
  HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const DWORD length = GetFileSize(file, nullptr);
  DWORD got = 0;
  const bool read = length != INVALID_FILE_SIZE && length <= utilities::kLargestFile &&
                    Allocate(&g_read, length) && ReadFile(file, g_read, length, &got, nullptr) &&
                    got == length;
  CloseHandle(file);
  *data = g_read;
  *size = length;
  return read;
}

bool Read(void*, const char* name, const uint8_t** data, uint32_t* size) {
  return ReadWhole(name, data, size);
}

bool Write(void*, const char* name, const uint8_t* data, uint32_t size) {
  HANDLE file =
      CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, data, size, &written, nullptr) && written == size;
  CloseHandle(file);
  return ok;
}

uint8_t* Scratch(void*, uint32_t size) {
  return Allocate(&g_scratch, size);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      g_closed = true;
      DestroyWindow(window);
      return 0;
    case WM_TIMER:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// The tool's window, up until its time is over or someone closes it.
bool ShowWindow(void*, const char* title, uint32_t milliseconds) {
  WNDCLASSA windowClass;
  memset(&windowClass, 0, sizeof windowClass);
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "OrvantaSubstitute";
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&windowClass);
  HWND window =
      CreateWindowExA(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                      320, 120, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return false;
  SetTimer(window, 1, milliseconds ? milliseconds : 1, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return g_closed;
}

void Record(void*, const char* line) {
  char path[kPathSize];
  InFolder("substitute-calls.txt", path);
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  utilities::Line text;
  text.Add(line).Add("\r\n");
  DWORD written = 0;
  WriteFile(file, text.Text(), utilities::Length(text.Text()), &written, nullptr);
  CloseHandle(file);
}

void FindOwnName() {
  char path[kPathSize];
  const DWORD length = GetModuleFileNameA(nullptr, path, kPathSize);
  if (length == 0 || length >= kPathSize) {
    memcpy(g_name, "substitute", 11);
    return;
  }
  const char* base = path;
  for (DWORD i = 0; i < length; ++i)
    if (path[i] == '\\' || path[i] == '/') base = path + i + 1;
  DWORD n = 0;
  for (; base[n] != '\0'; ++n) g_name[n] = base[n];
  g_name[n] = '\0';
  if (n > 4 && utilities::SameText(g_name + n - 4, ".exe")) g_name[n - 4] = '\0';
}

void FindFolder() {
  const DWORD length = GetEnvironmentVariableA("ORV_SUBSTITUTE_DIR", g_folder, kPathSize - 1);
  if (length == 0 || length >= kPathSize - 1) {
    g_folder[0] = '\0';
  } else if (g_folder[length - 1] != '\\') {
    g_folder[length] = '\\';
    g_folder[length + 1] = '\0';
  }
}

}  // namespace

extern "C" void SubstituteMain() {
  FindOwnName();
  FindFolder();
  const utilities::Host host{nullptr, Read, Write, Scratch, ShowWindow, Record};
  utilities::Script script;
  char path[kPathSize];
  InFolder(g_name, path);
  utilities::Line scriptName;
  scriptName.Add(path).Add(".script");
  const uint8_t* bytes = nullptr;
  uint32_t size = 0;
  if (ReadWhole(scriptName.Text(), &bytes, &size) && !utilities::DecodeScript(bytes, size, &script))
    Record(nullptr, utilities::Line().Add(g_name).Add(": script unreadable").Text());
  char directory[kPathSize];
  const DWORD length = GetCurrentDirectoryA(kPathSize, directory);
  if (length == 0 || length >= kPathSize) directory[0] = '\0';
  const int32_t code = utilities::RunUtility(g_name, GetCommandLineA(), directory, script, host);
  Release(&g_read);
  Release(&g_scratch);
  ExitProcess(static_cast<UINT>(code));
}
