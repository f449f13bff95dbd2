/* A test kernel driver: one of the four memory-access devices, or the
 * physical drives 1 to 3, answered by the hardware model instead of real
 * ports, memory and disks. Built once per kind with ORV_DRIVER_KIND set;
 * Wine loads it like the real driver.
 *
 * The machine comes from C:\orvanta-test\machine.bin at start (not from the
 * service key: the updater deletes and re-creates the ADDMEM service). The
 * state goes to C:\orvanta-test\state-<kind>.bin whenever a handle that sent
 * requests is closed, on the harness's dump code, and at unload. */
#include <ntifs.h>

#include "caller_memory.h"
#include "driver_core.h"

/* Each device's name, its link, and (for names with a file part) the
 * object directory that holds the link. */
#if ORV_DRIVER_KIND == ORV_DRIVER_TORQ
static const PCWSTR deviceNames[] = {L"\\Device\\TORQ"};
static const PCWSTR linkNames[] = {L"\\DosDevices\\TORQ\\TorqDrv.log"};
#define LINK_DIRECTORY L"\\DosDevices\\TORQ"
#define STATE_FILE L"\\??\\C:\\orvanta-test\\state-torq.bin"
#elif ORV_DRIVER_KIND == ORV_DRIVER_KMDFMEMIO
static const PCWSTR deviceNames[] = {L"\\Device\\KMDFMEMIO"};
static const PCWSTR linkNames[] = {L"\\DosDevices\\KMDFMEMIO\\kmdfmemiosamp.log"};
#define LINK_DIRECTORY L"\\DosDevices\\KMDFMEMIO"
#define STATE_FILE L"\\??\\C:\\orvanta-test\\state-kmdfmemio.bin"
#elif ORV_DRIVER_KIND == ORV_DRIVER_ADDMEM
static const PCWSTR deviceNames[] = {L"\\Device\\ADDMEM"};
static const PCWSTR linkNames[] = {L"\\DosDevices\\ADDMEM"};
#define STATE_FILE L"\\??\\C:\\orvanta-test\\state-addmem.bin"
#elif ORV_DRIVER_KIND == ORV_DRIVER_MEMIOVXD
static const PCWSTR deviceNames[] = {L"\\Device\\MEMIOVXD"};
static const PCWSTR linkNames[] = {L"\\DosDevices\\MEMIO.VXD"};
#define STATE_FILE L"\\??\\C:\\orvanta-test\\state-memiovxd.bin"
#elif ORV_DRIVER_KIND == ORV_DRIVER_DISKS
/* Drive 0 stays the system's own. */
#define FIRST_DRIVE 1
static const PCWSTR deviceNames[] = {L"\\Device\\OrvantaDisk1", L"\\Device\\OrvantaDisk2",
                                     L"\\Device\\OrvantaDisk3"};
static const PCWSTR linkNames[] = {L"\\DosDevices\\PhysicalDrive1", L"\\DosDevices\\PhysicalDrive2",
                                   L"\\DosDevices\\PhysicalDrive3"};
#define STATE_FILE L"\\??\\C:\\orvanta-test\\state-disks.bin"
#else
#error ORV_DRIVER_KIND must name one of the five kinds
#endif
#ifndef FIRST_DRIVE
#define FIRST_DRIVE 0
#endif
#define DEVICE_COUNT (sizeof deviceNames / sizeof deviceNames[0])
#define IMAGE_FILE L"\\??\\C:\\orvanta-test\\machine.bin"
#define POOL_TAG 0x6D76724Fu /* "Orvm" */

/* Process access rights, which the kernel headers leave to winnt.h. */
#define CALLER_ACCESS \
  (0x0008 /* VM operation */ | 0x0010 /* VM read */ | 0x0020 /* VM write */ | 0x0400 /* query */)

static void* machine;
static PDEVICE_OBJECT devices[DEVICE_COUNT];
#ifdef LINK_DIRECTORY
static HANDLE linkDirectory;
#endif
/* Requests since the state file was last written. */
static ULONG unsaved;

/* The process that opened a handle, kept with the handle (FsContext): its
 * memory for records that carry an address in it, and its width (a 32-bit
 * caller on 64-bit Windows sends the wide records). */
typedef struct Caller {
  HANDLE process;
  int wow64;
} Caller;

static void InitName(UNICODE_STRING* name, OBJECT_ATTRIBUTES* attributes, PCWSTR text,
                     ULONG flags) {
  RtlInitUnicodeString(name, text);
  InitializeObjectAttributes(attributes, name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE | flags,
                             NULL, NULL);
}

static NTSTATUS OpenFile(HANDLE* file, PCWSTR path, ACCESS_MASK access, ULONG disposition) {
  UNICODE_STRING name;
  OBJECT_ATTRIBUTES attributes;
  IO_STATUS_BLOCK io;
  InitName(&name, &attributes, path, 0);
  return ZwCreateFile(file, access | SYNCHRONIZE, &attributes, &io, NULL, FILE_ATTRIBUTE_NORMAL,
                      FILE_SHARE_READ, disposition,
                      FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE, NULL, 0);
}

static NTSTATUS ReadExactly(HANDLE file, void* to, ULONG size, ULONG offset) {
  IO_STATUS_BLOCK io;
  LARGE_INTEGER at;
  at.QuadPart = offset;
  NTSTATUS status = ZwReadFile(file, NULL, NULL, NULL, &io, to, size, &at, NULL);
  if (NT_SUCCESS(status) && io.Information != size) status = STATUS_END_OF_FILE;
  return status;
}

/* The image must have exactly this build's size, version and layout; any
 * other file is refused and the driver does not start. */
static NTSTATUS LoadImage(void) {
  HANDLE file;
  FILE_STANDARD_INFORMATION info;
  IO_STATUS_BLOCK io;
  UCHAR header[ORV_FILE_HEADER_SIZE];
  NTSTATUS status = OpenFile(&file, IMAGE_FILE, GENERIC_READ, FILE_OPEN);
  if (!NT_SUCCESS(status)) {
    DbgPrint("orvanta test driver: no machine image (0x%08lx)\n", status);
    return status;
  }
  status = ZwQueryInformationFile(file, &io, &info, sizeof info, FileStandardInformation);
  if (NT_SUCCESS(status)) status = ReadExactly(file, header, sizeof header, 0);
  if (NT_SUCCESS(status)) {
    const char* fault = OrvCheckImage(machine, header, (uint64_t)info.EndOfFile.QuadPart);
    if (fault) {
      DbgPrint("orvanta test driver: machine image refused: %s\n", fault);
      status = STATUS_INVALID_IMAGE_FORMAT;
    }
  }
  /* The checked size leaves exactly the model's object after the header. */
  if (NT_SUCCESS(status)) status = ReadExactly(file, machine, (ULONG)OrvModelSize(), sizeof header);
  ZwClose(file);
  if (NT_SUCCESS(status)) OrvMachineAdopt(machine, header);
  return status;
}

/* The header and the model's object, from the first byte that may have
 * changed since the last write (the file is whole after every write; a
 * file the harness removed meanwhile is written whole again). */
static void SaveState(void) {
  HANDLE file;
  IO_STATUS_BLOCK io;
  UCHAR header[ORV_FILE_HEADER_SIZE];
  LARGE_INTEGER at;
  size_t from = OrvStateChangedFrom(machine);
  if (from == 0 || !NT_SUCCESS(OpenFile(&file, STATE_FILE, GENERIC_WRITE, FILE_OPEN))) {
    from = 0;
    if (!NT_SUCCESS(OpenFile(&file, STATE_FILE, GENERIC_WRITE, FILE_OVERWRITE_IF))) return;
  }
  OrvStateHeader(machine, ORV_DRIVER_KIND, header);
  at.QuadPart = 0;
  if (NT_SUCCESS(ZwWriteFile(file, NULL, NULL, NULL, &io, header, sizeof header, &at, NULL))) {
    at.QuadPart = sizeof header + from;
    if (NT_SUCCESS(ZwWriteFile(file, NULL, NULL, NULL, &io, (UCHAR*)machine + from,
                               (ULONG)(OrvModelSize() - from), &at, NULL))) {
      OrvStateWritten(machine);
      unsaved = 0;
    }
  }
  ZwClose(file);
}

static NTSTATUS Complete(IRP* irp, NTSTATUS status, ULONG_PTR information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

/* On Wine the dispatch runs on behalf of the calling thread, so the current
 * process id is the caller's. */
static NTSTATUS NTAPI OnCreate(PDEVICE_OBJECT object, IRP* irp) {
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  OBJECT_ATTRIBUTES attributes;
  CLIENT_ID id;
  ULONG_PTR wow64 = 0;
  NTSTATUS status;
  Caller* caller = ExAllocatePoolWithTag(NonPagedPool, sizeof *caller, POOL_TAG);
  (void)object;
  if (!caller) return Complete(irp, STATUS_INSUFFICIENT_RESOURCES, 0);
  InitializeObjectAttributes(&attributes, NULL, OBJ_KERNEL_HANDLE, NULL, NULL);
  id.UniqueProcess = PsGetCurrentProcessId();
  id.UniqueThread = NULL;
  status = ZwOpenProcess(&caller->process, CALLER_ACCESS, &attributes, &id);
  if (NT_SUCCESS(status)) {
    status = ZwQueryInformationProcess(caller->process, ProcessWow64Information, &wow64,
                                       sizeof wow64, NULL);
    if (!NT_SUCCESS(status)) ZwClose(caller->process);
  }
  if (!NT_SUCCESS(status)) {
    DbgPrint("orvanta test driver: caller process not reachable (0x%08lx)\n", status);
    ExFreePoolWithTag(caller, POOL_TAG);
    return Complete(irp, status, 0);
  }
  caller->wow64 = wow64 != 0;
  stack->FileObject->FsContext = caller;
  return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI OnCleanup(PDEVICE_OBJECT object, IRP* irp) {
  (void)object;
  return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI OnClose(PDEVICE_OBJECT object, IRP* irp) {
  Caller* caller = IoGetCurrentIrpStackLocation(irp)->FileObject->FsContext;
  (void)object;
  if (caller) {
    ZwClose(caller->process);
    ExFreePoolWithTag(caller, POOL_TAG);
  }
  if (unsaved) SaveState();
  return Complete(irp, STATUS_SUCCESS, 0);
}

static int ReadCaller(void* context, uint32_t address, uint8_t* to, uint32_t size) {
  return ReadCallerMemory(((Caller*)context)->process, address, to, size);
}

static int WriteCaller(void* context, uint32_t address, const uint8_t* from, uint32_t size) {
  return WriteCallerMemory(((Caller*)context)->process, address, from, size);
}

#if ORV_DRIVER_KIND == ORV_DRIVER_KMDFMEMIO
/* A KMDFMEMIO record holds the caller's address of its own offset 16. The
 * caller's buffer address never reaches a driver on Wine (UserBuffer is a
 * copy), so the record is looked up there instead: the 16 bytes before
 * that address must be this record's header. Anything else gets an
 * address the model refuses. */
static uint64_t RecordAddress(const OrvCaller* caller, const uint8_t* buffer, uint32_t inputSize) {
  uint8_t there[16];
  uint32_t data, i;
  if (inputSize < 16) return ~(uint64_t)0;
  data = (uint32_t)buffer[12] | (uint32_t)buffer[13] << 8 | (uint32_t)buffer[14] << 16 |
         (uint32_t)buffer[15] << 24;
  if (data < 16 || !caller->read(caller->context, data - 16, there, sizeof there))
    return ~(uint64_t)0;
  for (i = 0; i < sizeof there; ++i) {
    if (there[i] != buffer[i]) return ~(uint64_t)0;
  }
  return data - 16;
}
#endif

static NTSTATUS NTAPI OnControl(PDEVICE_OBJECT object, IRP* irp) {
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  Caller* caller = stack->FileObject->FsContext;
  OrvRequest request;
  OrvCaller access;
  uint32_t information = 0;
#if ORV_DRIVER_KIND != ORV_DRIVER_DISKS
  (void)object;
#endif
  request.code = stack->Parameters.DeviceIoControl.IoControlCode;
  if (request.code == ORV_DUMP_STATE_CODE) {
    SaveState();
    return Complete(irp, STATUS_SUCCESS, 0);
  }
  request.buffer = irp->AssociatedIrp.SystemBuffer;
  request.inputSize = stack->Parameters.DeviceIoControl.InputBufferLength;
  request.outputSize = stack->Parameters.DeviceIoControl.OutputBufferLength;
  /* Every code of these protocols is METHOD_BUFFERED. */
  if ((request.code & 3) != METHOD_BUFFERED || !request.buffer || !caller) {
    return Complete(irp, STATUS_INVALID_PARAMETER, 0);
  }
  access.context = caller;
  access.read = ReadCaller;
  access.write = WriteCaller;
  request.caller = &access;
  request.callerIsWow64 = caller->wow64;
#if ORV_DRIVER_KIND == ORV_DRIVER_KMDFMEMIO
  request.callerBufferAddress = RecordAddress(&access, request.buffer, request.inputSize);
#else
  request.callerBufferAddress = 0;
#endif
  ++unsaved;
#if ORV_DRIVER_KIND == ORV_DRIVER_DISKS
  /* The device extension holds the drive number. */
  switch (OrvHandleDiskRequest(machine, *(ULONG*)object->DeviceExtension, &request, &information)) {
    case 0:
      return Complete(irp, STATUS_SUCCESS, information);
    case 1:
      return Complete(irp, STATUS_NOT_SUPPORTED, 0);
    default:
      return Complete(irp, STATUS_INVALID_PARAMETER, 0);
  }
#else
  if (!OrvHandleRequest(machine, ORV_DRIVER_KIND, &request, &information)) {
    return Complete(irp, STATUS_INVALID_PARAMETER, 0);
  }
  return Complete(irp, STATUS_SUCCESS, information);
#endif
}

static void RemoveNames(void) {
  UNICODE_STRING name;
  ULONG i;
  for (i = 0; i < DEVICE_COUNT; ++i) {
    RtlInitUnicodeString(&name, linkNames[i]);
    IoDeleteSymbolicLink(&name);
  }
#ifdef LINK_DIRECTORY
  if (linkDirectory) {
    ZwClose(linkDirectory);
    linkDirectory = NULL;
  }
#endif
}

static void DeleteDevices(void) {
  ULONG i;
  for (i = 0; i < DEVICE_COUNT; ++i) {
    if (devices[i]) IoDeleteDevice(devices[i]);
    devices[i] = NULL;
  }
}

static void NTAPI OnUnload(PDRIVER_OBJECT driver) {
  (void)driver;
  if (unsaved) SaveState();
  RemoveNames();
  DeleteDevices();
  ExFreePoolWithTag(machine, POOL_TAG);
}

/* The devices, each with its number (the drive number of a disk) in its
 * extension, and their links. */
static NTSTATUS CreateDevices(PDRIVER_OBJECT driver) {
  UNICODE_STRING name, link;
  NTSTATUS status = STATUS_SUCCESS;
  ULONG i;
#ifdef LINK_DIRECTORY
  /* A device name with a file part ("TORQ\TorqDrv.log") opens only through
   * a link inside an object directory of that name. */
  OBJECT_ATTRIBUTES attributes;
  UNICODE_STRING directory;
  InitName(&directory, &attributes, LINK_DIRECTORY, 0);
  status = ZwCreateDirectoryObject(&linkDirectory, DIRECTORY_ALL_ACCESS, &attributes);
  if (!NT_SUCCESS(status)) return status;
#endif
  for (i = 0; i < DEVICE_COUNT && NT_SUCCESS(status); ++i) {
    RtlInitUnicodeString(&name, deviceNames[i]);
    status =
        IoCreateDevice(driver, sizeof(ULONG), &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &devices[i]);
    if (!NT_SUCCESS(status)) break;
    *(ULONG*)devices[i]->DeviceExtension = FIRST_DRIVE + i;
    RtlInitUnicodeString(&link, linkNames[i]);
    status = IoCreateSymbolicLink(&link, &name);
  }
  return status;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
  NTSTATUS status;
  (void)registryPath;
  if (!CallerMemoryInit()) {
    DbgPrint("orvanta test driver: cannot reach callers' memory on this Wine\n");
    return STATUS_NOT_SUPPORTED;
  }
  machine = ExAllocatePoolWithTag(NonPagedPool, OrvStorageSize(), POOL_TAG);
  if (!machine) return STATUS_INSUFFICIENT_RESOURCES;
  status = LoadImage();
  if (NT_SUCCESS(status)) {
    status = CreateDevices(driver);
    if (!NT_SUCCESS(status)) {
      RemoveNames();
      DeleteDevices();
    }
  }
  if (!NT_SUCCESS(status)) {
    ExFreePoolWithTag(machine, POOL_TAG);
    return status;
  }
  driver->MajorFunction[IRP_MJ_CREATE] = OnCreate;
  driver->MajorFunction[IRP_MJ_CLEANUP] = OnCleanup;
  driver->MajorFunction[IRP_MJ_CLOSE] = OnClose;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = OnControl;
  driver->DriverUnload = OnUnload;
  return STATUS_SUCCESS;
}
