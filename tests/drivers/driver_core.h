/* What a test driver's kernel glue (C, WDM headers) needs from the hardware
 * model (C++): the machine's storage size, adopting an image, answering one
 * request, and the header of the state file. Plain C types only. */
#ifndef ORV_DRIVER_CORE_H
#define ORV_DRIVER_CORE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The kinds, numbered as the model's machine::Driver. Macros, not an enum,
 * because each driver picks its kind in #if. */
#define ORV_DRIVER_TORQ 0
#define ORV_DRIVER_KMDFMEMIO 1
#define ORV_DRIVER_ADDMEM 2
#define ORV_DRIVER_MEMIOVXD 3
/* Not a memory-access driver: physical drives 1 to 3 and their SMART
 * requests (drive 0 is the system's own). */
#define ORV_DRIVER_DISKS 4

/* The code only the harness sends: write the state file now. Device type
 * 0x8001 (a vendor range none of the four protocols uses), function 0x801,
 * METHOD_BUFFERED, any access. */
#define ORV_DUMP_STATE_CODE 0x80012004u

#define ORV_FILE_HEADER_SIZE 32u

typedef struct OrvCaller {
  void* context;
  int (*read)(void* context, uint32_t address, uint8_t* to, uint32_t size);
  int (*write)(void* context, uint32_t address, const uint8_t* from, uint32_t size);
} OrvCaller;

typedef struct OrvRequest {
  uint32_t code;
  uint8_t* buffer; /* the system buffer: at least max(inputSize, outputSize) */
  uint32_t inputSize;
  uint32_t outputSize;
  int callerIsWow64;
  uint64_t callerBufferAddress;
  const OrvCaller* caller; /* may be null */
} OrvRequest;

/* Bytes of storage the machine and its clock need (pool-aligned storage),
 * and how many of them, from the start, are the model's object that image
 * and state files carry after their header. */
size_t OrvStorageSize(void);
size_t OrvModelSize(void);
/* Checks an image header against the image file's size; on success the
 * caller reads the OrvModelSize() bytes after the header into `storage`
 * and calls OrvMachineAdopt. Returns null or the reason for refusing. */
const char* OrvCheckImage(void* storage, const uint8_t header[ORV_FILE_HEADER_SIZE],
                          uint64_t fileSize);
void OrvMachineAdopt(void* storage, const uint8_t header[ORV_FILE_HEADER_SIZE]);
/* One request, on the driver's clock (advanced per request as in the native
 * run). Nonzero when honoured; *information: output bytes. */
int OrvHandleRequest(void* storage, int driver, const OrvRequest* request, uint32_t* information);
/* One SMART request on physical drive `drive`: 0 answered, 1 not
 * supported by the drive's controller, 2 refused (not the exact record). */
int OrvHandleDiskRequest(void* storage, uint32_t drive, const OrvRequest* request,
                         uint32_t* information);
/* The header of a state file written by `driver`; the machine follows it. */
void OrvStateHeader(void* storage, int driver, uint8_t header[ORV_FILE_HEADER_SIZE]);
/* Where in the model's object the next state write may start: 0 (all of
 * it) for the first write and whenever physical memory may have changed
 * since the last one (a memory write, an SMI answer, or more requests than
 * the log shows), else the offset of the devices behind the physical
 * memory. Call after the write succeeded: OrvStateWritten. */
size_t OrvStateChangedFrom(void* storage);
void OrvStateWritten(void* storage);

#ifdef __cplusplus
}
#endif

#endif
