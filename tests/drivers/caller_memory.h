/* Access to the memory of the process that sent a request. Wine runs a
 * driver in a user process of its own and offers no kernel call for this
 * (MmCopyVirtualMemory is a stub there), so the driver borrows ntdll's
 * NtReadVirtualMemory and NtWriteVirtualMemory. A driver that imported
 * ntdll would be loaded as an ordinary DLL, so they are found at start
 * through ntoskrnl's forward into ntdll instead. */
#ifndef ORV_CALLER_MEMORY_H
#define ORV_CALLER_MEMORY_H

#include <ntifs.h>

/* Finds the two functions; false when this Wine does not have them. */
BOOLEAN CallerMemoryInit(void);
BOOLEAN ReadCallerMemory(HANDLE process, ULONG address, void* to, ULONG size);
BOOLEAN WriteCallerMemory(HANDLE process, ULONG address, const void* from, ULONG size);

#endif
