// The entry point of OrvantaUpdate.exe: install the real platform and run
// the update with the command-line text.
#include <windows.h>

#include <cstring>
#include <vector>

#include "app/update.h"
#include "os/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  win32::InstallPlatform();
  // The runtime has removed the program name; blanks before the first
  // option are not part of it either.
  const char* text = commandLine ? commandLine : "";
  while (*text == ' ' || *text == '\t') ++text;
  // The update may take the text apart in place: give it a copy of its own.
  std::vector<char> copy(text, text + std::strlen(text) + 1);
  return static_cast<int>(app::RunUpdate(copy.data()));
}
