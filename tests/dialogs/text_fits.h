// Whether a control's text shows whole, as a user sees it.
#pragma once

#include <windows.h>

#include <string>

// True when `text` fits the control's client width on one line per line of
// text, in the control's own font.
inline bool TextFits(HWND control, const std::string& text) {
  RECT client;
  GetClientRect(control, &client);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  bool fits = true;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    SIZE size;
    GetTextExtentPoint32A(dc, text.c_str() + start, static_cast<int>(end - start), &size);
    fits = fits && size.cx <= client.right;
    start = end + 1;
  }
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return fits;
}
