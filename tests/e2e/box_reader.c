/* box_reader.exe [-o FILE] [-t MILLISECONDS] [-s HWND] [-d DONE_FILE] [-p] PROGRAM
 *
 * Waits for the next message box of the running program whose file name is
 * PROGRAM (OrvantaUpdate.exe) and describes it, so that the harness can
 * record it before it answers it by keyboard:
 *
 *   box 0x0001002C           the window handle (pass it as -s next time)
 *   title Fail : Unpack
 *   text File Extraction failed.\n\nProgram will be terminated.
 *   buttons OK               or "OK Cancel"
 *   owner dialog             "dialog" (another window of the program), "none"
 *   icon 412 300 32 32       screen rectangle of the icon, or "icon none"
 *   window 380 296 250 114   screen rectangle of the whole box (its X
 *                            window: Wine draws the frame itself)
 *
 * The text is escaped as the simulated notebook's transcript escapes it.
 * With -p it waits instead for the progress dialog (a window of the program
 * that is no message box) and prints "dialog HWND", its status line
 * ("status TEXT") and "rect LEFT TOP WIDTH HEIGHT".
 *
 * When the program has ended, or DONE_FILE exists (the launcher writes it
 * when the program has ended), it prints "ended"; after the time limit
 * "timeout". A window with the handle given by -s is skipped: the harness
 * has answered it already and it may not have gone yet. */
#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kTextControl = 0xFFFF, kIconControl = 1088, kStatusControl = 1010 };

typedef struct {
  DWORD pid;
  HWND skip;
  int wantDialog;
  HWND found;
} Search;

static DWORD FindProcess(const char* name) {
  DWORD pid = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more && !pid;
       more = Process32Next(snapshot, &entry)) {
    const char* base = strrchr(entry.szExeFile, '\\');
    base = base ? base + 1 : entry.szExeFile;
    if (lstrcmpiA(base, name) == 0) pid = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return pid;
}

static int IsDialogClass(HWND window) {
  char name[64];
  return GetClassNameA(window, name, sizeof name) && strcmp(name, "#32770") == 0;
}

static int IsMessageBox(HWND window) {
  return IsDialogClass(window) && GetDlgItem(window, kTextControl) != NULL;
}

static BOOL CALLBACK Visit(HWND window, LPARAM context) {
  Search* search = (Search*)context;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || window == search->skip || !IsWindowVisible(window)) return TRUE;
  if (search->wantDialog ? (IsDialogClass(window) && !IsMessageBox(window))
                         : IsMessageBox(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

static void PrintEscaped(FILE* out, const char* text) {
  for (const unsigned char* c = (const unsigned char*)text; *c; ++c) {
    switch (*c) {
      case '\n':
        fputs("\\n", out);
        break;
      case '\r':
        fputs("\\r", out);
        break;
      case '\t':
        fputs("\\t", out);
        break;
      case '\\':
        fputs("\\\\", out);
        break;
      default:
        if (*c < 0x20 || *c == 0x7F)
          fprintf(out, "\\x%02X", *c);
        else
          fputc(*c, out);
    }
  }
  fputc('\n', out);
}

static void PrintControlText(FILE* out, const char* label, HWND control) {
  char text[2048] = "";
  if (control) GetWindowTextA(control, text, sizeof text);
  fprintf(out, "%s ", label);
  PrintEscaped(out, text);
}

static int Shown(HWND window) {
  return window && IsWindowVisible(window);
}

static void PrintRect(FILE* out, const char* label, HWND window) {
  RECT r;
  if (Shown(window) && GetWindowRect(window, &r))
    fprintf(out, "%s %ld %ld %ld %ld\n", label, r.left, r.top, r.right - r.left, r.bottom - r.top);
  else
    fprintf(out, "%s none\n", label);
}

static void DescribeBox(FILE* out, HWND box) {
  char title[512] = "";
  GetWindowTextA(box, title, sizeof title);
  fprintf(out, "box 0x%08lX\ntitle ", (unsigned long)(ULONG_PTR)box);
  PrintEscaped(out, title);
  PrintControlText(out, "text", GetDlgItem(box, kTextControl));
  fprintf(out, "buttons%s%s\n", Shown(GetDlgItem(box, IDOK)) ? " OK" : "",
          Shown(GetDlgItem(box, IDCANCEL)) ? " Cancel" : "");
  HWND owner = GetWindow(box, GW_OWNER);
  fprintf(out, "owner %s\n",
          !owner                                         ? "none"
          : IsDialogClass(owner) && !IsMessageBox(owner) ? "dialog"
                                                         : "other");
  PrintRect(out, "icon", GetDlgItem(box, kIconControl));
  PrintRect(out, "window", box);
}

static void DescribeDialog(FILE* out, HWND dialog) {
  fprintf(out, "dialog 0x%08lX\n", (unsigned long)(ULONG_PTR)dialog);
  PrintControlText(out, "status", GetDlgItem(dialog, kStatusControl));
  PrintRect(out, "rect", dialog);
}

int main(int argc, char** argv) {
  const char* outputPath = NULL;
  const char* donePath = NULL;
  DWORD limit = 60000;
  Search search = {0, NULL, 0, NULL};
  int i = 1;
  for (; i + 1 < argc && argv[i][0] == '-'; ++i) {
    if (strcmp(argv[i], "-p") == 0) {
      search.wantDialog = 1;
      continue;
    }
    if (strcmp(argv[i], "-o") == 0)
      outputPath = argv[i + 1];
    else if (strcmp(argv[i], "-t") == 0)
      limit = strtoul(argv[i + 1], NULL, 10);
    else if (strcmp(argv[i], "-s") == 0)
      search.skip = (HWND)(ULONG_PTR)strtoul(argv[i + 1], NULL, 0);
    else if (strcmp(argv[i], "-d") == 0)
      donePath = argv[i + 1];
    else
      break;
    ++i;
  }
  if (i + 1 != argc) {
    fprintf(stderr,
            "usage: box_reader.exe [-o FILE] [-t MS] [-s HWND] [-d DONE_FILE] [-p] PROGRAM\n");
    return 1;
  }
  FILE* out = outputPath ? fopen(outputPath, "w") : stdout;
  if (!out) return 2;

  const DWORD start = GetTickCount();
  HANDLE process = NULL;
  int result = 3;
  for (;;) {
    if (!process) {
      search.pid = FindProcess(argv[i]);
      if (search.pid) process = OpenProcess(SYNCHRONIZE, FALSE, search.pid);
    }
    if (process) {
      search.found = NULL;
      EnumWindows(Visit, (LPARAM)&search);
      if (search.found) {
        if (search.wantDialog)
          DescribeDialog(out, search.found);
        else
          DescribeBox(out, search.found);
        result = 0;
        break;
      }
    }
    const int ended = process ? WaitForSingleObject(process, 0) == WAIT_OBJECT_0
                              : donePath && GetFileAttributesA(donePath) != INVALID_FILE_ATTRIBUTES;
    if (ended) {
      fprintf(out, "ended\n");
      result = 0;
      break;
    }
    if (GetTickCount() - start > limit) {
      fprintf(out, "timeout\n");
      break;
    }
    Sleep(20);
  }
  if (process) CloseHandle(process);
  if (out != stdout) fclose(out);
  return result;
}
