// Functions that older Windows versions lack are looked up at run time, so
// that the executable still loads there (an import of a missing function
// stops the program before it starts).
#pragma once

#include <windows.h>

namespace win32 {

// The kernel32 export `name` as a pointer of type Function, or null.
template <typename Function>
Function LookUpKernel32(const char* name) {
  HMODULE kernel32 = GetModuleHandleA("kernel32");
  if (!kernel32) return nullptr;
  // Through the generic function pointer type, which GCC accepts as a
  // conversion between unrelated function types.
  auto generic = reinterpret_cast<void (*)()>(GetProcAddress(kernel32, name));
  return reinterpret_cast<Function>(generic);
}

}  // namespace win32
