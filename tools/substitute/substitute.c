/* A stand-in for an outside utility in end-to-end tests and the demo
 * package. Built under each utility's file name, it appends one line
 *
 *     NAME: COMMAND LINE
 *
 * to "substitute-calls.txt" in its current directory (NAME is its own file
 * name without ".exe", COMMAND LINE the whole line it was started with) and
 * exits with the number written in "NAME.exitcode" in its current directory
 * (decimal, 0x hexadecimal or negative), or 0 when there is no such file.
 *
 * It uses kernel32 alone, without the C runtime: the real utilities run
 * beside the runtime libraries staged from the package, and those files
 * (placeholders in the demo) must not decide whether the stand-in starts. */
#include <windows.h>

#define NAME_SIZE 260
#define LINE_SIZE 3072

static char g_name[NAME_SIZE];
static char g_line[LINE_SIZE];

static DWORD Length(const char* text) {
  DWORD length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

/* Appends `text` to `buffer` (of `size` bytes, NUL-terminated), cut to fit. */
static void Append(char* buffer, DWORD size, const char* text) {
  DWORD at = Length(buffer);
  while (*text != '\0' && at + 1 < size) buffer[at++] = *text++;
  buffer[at] = '\0';
}

static void FindOwnName(void) {
  char path[NAME_SIZE];
  DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
  const char* base = path;
  DWORD i;
  if (length == 0 || length >= sizeof path) {
    Append(g_name, NAME_SIZE, "substitute");
    return;
  }
  for (i = 0; i < length; ++i)
    if (path[i] == '\\' || path[i] == '/') base = path + i + 1;
  Append(g_name, NAME_SIZE, base);
  length = Length(g_name);
  if (length > 4 && g_name[length - 4] == '.' && (g_name[length - 3] | 0x20) == 'e' &&
      (g_name[length - 2] | 0x20) == 'x' && (g_name[length - 1] | 0x20) == 'e')
    g_name[length - 4] = '\0';
}

static void RecordCall(void) {
  DWORD written = 0;
  HANDLE file = CreateFileA("substitute-calls.txt", FILE_APPEND_DATA, FILE_SHARE_READ, NULL,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  Append(g_line, LINE_SIZE - 2, g_name);
  Append(g_line, LINE_SIZE - 2, ": ");
  Append(g_line, LINE_SIZE - 2, GetCommandLineA());
  Append(g_line, LINE_SIZE, "\r\n");
  WriteFile(file, g_line, Length(g_line), &written, NULL);
  CloseHandle(file);
}

static int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') return (c | 0x20) - 'a' + 10;
  return 99;
}

static UINT ScriptedExitCode(void) {
  char file[NAME_SIZE + 16] = "";
  char text[32];
  DWORD got = 0, i = 0;
  UINT value = 0, base = 10;
  int negative = 0, digit;
  HANDLE handle;
  Append(file, sizeof file, g_name);
  Append(file, sizeof file, ".exitcode");
  handle = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, NULL);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  if (!ReadFile(handle, text, sizeof text - 1, &got, NULL)) got = 0;
  CloseHandle(handle);
  text[got] = '\0';
  while (text[i] == ' ' || text[i] == '\t') ++i;
  if (text[i] == '-') {
    negative = 1;
    ++i;
  }
  if (text[i] == '0' && (text[i + 1] | 0x20) == 'x') {
    base = 16;
    i += 2;
  }
  for (; (digit = DigitValue(text[i])) < (int)base; ++i) value = value * base + (UINT)digit;
  return negative ? 0u - value : value;
}

void SubstituteMain(void) {
  FindOwnName();
  RecordCall();
  ExitProcess(ScriptedExitCode());
}
