/* launcher.exe [-o FILE] [-t MILLISECONDS] [-e NAME=VALUE] PROGRAM [ARGUMENTS...]
 *
 * Starts PROGRAM with the rest of this command line, exactly as written,
 * with the environment variable NAME set to VALUE when -e is given (Wine
 * takes TEMP from the prefix, not from the Unix environment),
 * waits for it and prints its exit code as a full 32-bit value ("exit code
 * 0xFFFFFFFF") to FILE or to standard output; the wine command itself passes
 * on only the low 8 bits. With -t, a program still running after that many
 * milliseconds is ended and "timeout" is printed instead. The launcher's own
 * status: 0 when it read an exit code, 1 on a usage error, 2 when the program
 * could not be started, 3 on a timeout. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The next blank-separated word of `text` (quotes group blanks; the quotes
 * are kept out of the word), cut to `size`; returns the text after it. */
static const char* NextWord(const char* text, char* word, size_t size) {
  size_t length = 0;
  int quoted = 0;
  while (*text == ' ' || *text == '\t') ++text;
  for (; *text && (quoted || (*text != ' ' && *text != '\t')); ++text) {
    if (*text == '"') {
      quoted = !quoted;
      continue;
    }
    if (length + 1 < size) word[length++] = *text;
  }
  if (size) word[length] = '\0';
  while (*text == ' ' || *text == '\t') ++text;
  return text;
}

static int Report(const char* outputPath, const char* line) {
  FILE* out = outputPath ? fopen(outputPath, "w") : stdout;
  if (!out) return 0;
  fprintf(out, "%s\n", line);
  if (out != stdout)
    fclose(out);
  else
    fflush(stdout);
  return 1;
}

int main(void) {
  char word[MAX_PATH];
  char outputPath[MAX_PATH];
  int haveOutput = 0;
  DWORD limit = INFINITE;
  const char* rest = NextWord(GetCommandLineA(), word, sizeof word); /* our own name */
  for (;;) {
    const char* after = NextWord(rest, word, sizeof word);
    if (strcmp(word, "-o") == 0) {
      rest = NextWord(after, outputPath, sizeof outputPath);
      haveOutput = 1;
    } else if (strcmp(word, "-t") == 0) {
      rest = NextWord(after, word, sizeof word);
      limit = (DWORD)strtoul(word, NULL, 10);
    } else if (strcmp(word, "-e") == 0) {
      rest = NextWord(after, word, sizeof word);
      char* equals = strchr(word, '=');
      if (!equals) break;
      *equals = '\0';
      SetEnvironmentVariableA(word, equals + 1);
    } else {
      break;
    }
  }
  if (*rest == '\0') {
    fprintf(stderr,
            "usage: launcher.exe [-o FILE] [-t MILLISECONDS] [-e NAME=VALUE] PROGRAM "
            "[ARGUMENTS...]\n");
    return 1;
  }
  const char* output = haveOutput ? outputPath : NULL;

  char* commandLine = _strdup(rest);
  STARTUPINFOA startup;
  PROCESS_INFORMATION process;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  ZeroMemory(&process, sizeof process);
  if (!commandLine ||
      !CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
    char line[64];
    snprintf(line, sizeof line, "not started: error %lu", GetLastError());
    Report(output, line);
    free(commandLine);
    return 2;
  }
  free(commandLine);
  int status = 0;
  char line[64];
  if (WaitForSingleObject(process.hProcess, limit) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 0xDEADDEAD);
    WaitForSingleObject(process.hProcess, 5000);
    snprintf(line, sizeof line, "timeout");
    status = 3;
  } else {
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code))
      snprintf(line, sizeof line, "exit code 0x%08lX", code);
    else
      snprintf(line, sizeof line, "no exit code: error %lu", GetLastError());
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return Report(output, line) ? status : 2;
}
