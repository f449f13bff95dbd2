#include "caller_memory.h"

#include <ntimage.h>

typedef NTSTATUS(NTAPI* CopyFunction)(HANDLE process, void* address, void* buffer, SIZE_T size,
                                      SIZE_T* done);

NTSYSAPI PVOID NTAPI RtlImageDirectoryEntryToData(PVOID base, BOOLEAN image, USHORT directory,
                                                  PULONG size);

static CopyFunction readMemory, writeMemory;

static BOOLEAN SameName(const char* a, const char* b) {
  while (*a && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

/* The base of the loaded module holding `address`: the nearest 64 KiB
 * boundary below it with a PE header. Every boundary passed lies inside
 * the module's mapping, so each probe reads mapped memory. */
static UCHAR* ModuleBase(void* address) {
  ULONG_PTR at = (ULONG_PTR)address & ~(ULONG_PTR)0xFFFF;
  int probes;
  for (probes = 0; probes < 1024 && at; ++probes, at -= 0x10000) {
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)at;
    if (dos->e_magic == IMAGE_DOS_SIGNATURE && dos->e_lfanew > 0 && dos->e_lfanew < 0x1000 &&
        ((const IMAGE_NT_HEADERS*)(at + dos->e_lfanew))->Signature == IMAGE_NT_SIGNATURE) {
      return (UCHAR*)at;
    }
  }
  return NULL;
}

/* A function exported by name from a loaded module, or null. */
static void* Export(UCHAR* base, const char* name) {
  ULONG size = 0, i;
  const IMAGE_EXPORT_DIRECTORY* exports =
      RtlImageDirectoryEntryToData(base, TRUE, IMAGE_DIRECTORY_ENTRY_EXPORT, &size);
  const ULONG *names, *functions;
  const USHORT* ordinals;
  if (!exports) return NULL;
  names = (const ULONG*)(base + exports->AddressOfNames);
  ordinals = (const USHORT*)(base + exports->AddressOfNameOrdinals);
  functions = (const ULONG*)(base + exports->AddressOfFunctions);
  for (i = 0; i < exports->NumberOfNames; ++i) {
    if (SameName((const char*)(base + names[i]), name)) {
      if (ordinals[i] >= exports->NumberOfFunctions) return NULL;
      return base + functions[ordinals[i]];
    }
  }
  return NULL;
}

BOOLEAN CallerMemoryInit(void) {
  UNICODE_STRING name;
  void* inNtdll;
  UCHAR* ntdll;
  /* ntoskrnl forwards this variable to ntdll, so its address lies there. */
  RtlInitUnicodeString(&name, L"NlsAnsiCodePage");
  inNtdll = MmGetSystemRoutineAddress(&name);
  if (!inNtdll || !(ntdll = ModuleBase(inNtdll))) return FALSE;
  readMemory = (CopyFunction)Export(ntdll, "NtReadVirtualMemory");
  writeMemory = (CopyFunction)Export(ntdll, "NtWriteVirtualMemory");
  return readMemory && writeMemory;
}

BOOLEAN ReadCallerMemory(HANDLE process, ULONG address, void* to, ULONG size) {
  SIZE_T done = 0;
  return readMemory &&
         NT_SUCCESS(readMemory(process, (void*)(ULONG_PTR)address, to, size, &done)) &&
         done == size;
}

BOOLEAN WriteCallerMemory(HANDLE process, ULONG address, const void* from, ULONG size) {
  SIZE_T done = 0;
  return writeMemory &&
         NT_SUCCESS(writeMemory(process, (void*)(ULONG_PTR)address, (void*)from, size, &done)) &&
         done == size;
}
