/* exit_with.exe CODE [FILE]: a stand-in program for the process tests. It
 * writes its current directory into FILE (created in that directory) when
 * one is named, then exits with CODE (decimal, or hexadecimal with 0x).
 * exit_with.exe sleep: never ends by itself (for the launcher's time limit).
 * exit_with.exe hold FILE: opens (or creates) FILE shared with nobody and
 * keeps it open until it is ended: another process holding a file. */
#include <windows.h>

#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
  if (argc < 2) return 255;
  const int hold = argc >= 3 && strcmp(argv[1], "hold") == 0;
  if (hold && CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, NULL) == INVALID_HANDLE_VALUE)
    return 251;
  if (hold || strcmp(argv[1], "sleep") == 0) {
    for (;;) Sleep(INFINITE);
  }
  const UINT code = (UINT)strtoul(argv[1], NULL, 0);
  if (argc >= 3) {
    char directory[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory) return 254;
    HANDLE file =
        CreateFileA(argv[2], GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 253;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, directory, length, &written, NULL);
    CloseHandle(file);
    if (!ok || written != length) return 252;
  }
  ExitProcess(code);
}
