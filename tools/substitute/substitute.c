/* A stand-in for an outside utility in end-to-end tests and the demo
 * package. Built under each utility's file name, it appends one line
 *
 *     NAME: COMMAND LINE
 *
 * to "substitute-calls.txt" in its current directory (NAME is its own file
 * name without ".exe", COMMAND LINE the whole line it was started with) and
 * exits with the number written in "NAME.exitcode" in its current directory,
 * or 0 when there is no such file. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void OwnName(char* name, size_t size) {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
  const char* base = path;
  char* dot;
  if (length == 0 || length >= sizeof path) {
    strncpy(name, "substitute", size - 1);
    name[size - 1] = '\0';
    return;
  }
  for (const char* p = path; *p != '\0'; ++p)
    if (*p == '\\' || *p == '/') base = p + 1;
  strncpy(name, base, size - 1);
  name[size - 1] = '\0';
  dot = strrchr(name, '.');
  if (dot != NULL && _stricmp(dot, ".exe") == 0) *dot = '\0';
}

static unsigned long ScriptedExitCode(const char* name) {
  char file[MAX_PATH + 16];
  char text[64] = "";
  FILE* stream;
  snprintf(file, sizeof file, "%s.exitcode", name);
  stream = fopen(file, "r");
  if (stream == NULL) return 0;
  if (fgets(text, sizeof text, stream) == NULL) text[0] = '\0';
  fclose(stream);
  /* Decimal, 0x hexadecimal or negative, as a 32-bit exit code. */
  return (unsigned long)strtoll(text, NULL, 0);
}

int main(void) {
  char name[MAX_PATH];
  FILE* calls;
  OwnName(name, sizeof name);
  calls = fopen("substitute-calls.txt", "a");
  if (calls != NULL) {
    fprintf(calls, "%s: %s\n", name, GetCommandLineA());
    fclose(calls);
  }
  ExitProcess((UINT)ScriptedExitCode(name));
}
