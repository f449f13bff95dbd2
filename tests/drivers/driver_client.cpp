// driver_client --image WINDOWS_PATH --wow64 0|1 [--only PREFIX]
// driver_client --benchmark
//
// Cases named nt_* run as an NT program, win9x_* as a Windows 9x one.
// Talks to the test drivers as the updater does, with request records
// written out byte by byte here (not built by the product's code, so a
// slip on either side shows), and checks the answers against the machine
// image the drivers started from. Prints "N passed, M failed".
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "check.h"
#include "driver_core.h"
#include "machine_file.h"

namespace {

std::string imagePath;
bool wow64 = false;
std::unique_ptr<machine::Machine> image;

// The test profile puts this byte at CMOS bank 0, index 0x20.
constexpr uint8_t kCmosIndex = 0x20;

bool LoadImage() {
  FILE* in = std::fopen(imagePath.c_str(), "rb");
  if (!in) return false;
  std::vector<uint8_t> bytes(machine_file::kFileSize + 1);
  const size_t size = std::fread(bytes.data(), 1, bytes.size(), in);
  std::fclose(in);
  image = std::make_unique<machine::Machine>();
  machine_file::Header header;
  if (size < machine_file::kHeaderSize ||
      machine_file::ReadHeader(*image, bytes.data(), size, machine_file::Kind::kImage, &header) !=
          machine_file::Fault::kNone) {
    return false;
  }
  std::memcpy(static_cast<void*>(image.get()), bytes.data() + machine_file::kHeaderSize,
              sizeof(machine::Machine));
  return true;
}

// Opens a device as the updater does; a failure is a failed check that
// names the error.
HANDLE Open(const char* name) {
  HANDLE device = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD error = device == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  check::Record(device != INVALID_HANDLE_VALUE, __FILE__, __LINE__, name,
                "open failed with error " + check::Describe(error));
  return device;
}

struct Answer {
  bool ok;
  DWORD returned;
  DWORD error;
};

Answer Send(HANDLE device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize) {
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(device, code, const_cast<void*>(in), inSize, out, outSize,
                                  &returned, nullptr);
  return {ok != FALSE, returned, ok ? 0 : GetLastError()};
}

void Put32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

// --- ADDMEM: 8-byte port records, 8-byte address for memory ---------------

void AddMemPortWrite(HANDLE device, DWORD code, uint32_t port, uint32_t value, DWORD width) {
  uint8_t record[8], out[4] = {};
  Put32(record, port);
  Put32(record + 4, value);
  CHECK(Send(device, code, record, sizeof record, out, width).ok);
}

TEST_CASE(nt_addmem_requests) {
  HANDLE device = Open("\\\\.\\ADDMEM");
  if (device == INVALID_HANDLE_VALUE) return;
  // 16 bytes of firmware memory at 0xF0000.
  const uint8_t address[8] = {0x00, 0x00, 0x0F, 0x00, 0, 0, 0, 0};
  uint8_t memory[16] = {};
  Answer a = Send(device, 0x22204C, address, sizeof address, memory, sizeof memory);
  CHECK(a.ok);
  CHECK_EQ(a.returned, 16u);
  CHECK(std::memcmp(memory, image->memory.firmware, 16) == 0);
  // The CMOS byte the profile set, through the index and data ports.
  AddMemPortWrite(device, 0x222034, 0x70, kCmosIndex, 1);
  const uint8_t readData[8] = {0x71, 0, 0, 0, 0, 0, 0, 0};
  uint8_t value[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  a = Send(device, 0x222038, readData, sizeof readData, value, 1);
  CHECK(a.ok);
  CHECK_EQ(a.returned, 1u);
  CHECK_EQ(value[0], image->chipset.cmos[0][kCmosIndex]);
  CHECK_EQ(value[1], 0xEE);  // nothing beyond the width
  // A 32-bit PCI configuration read: the LPC bridge's PM base register.
  AddMemPortWrite(device, 0x222044, 0xCF8, 0x8000F840, 4);
  const uint8_t readPciData[8] = {0xFC, 0x0C, 0, 0, 0, 0, 0, 0};
  uint32_t pci = 0;
  a = Send(device, 0x222048, readPciData, sizeof readPciData, &pci, sizeof pci);
  CHECK(a.ok);
  CHECK_EQ(pci, static_cast<uint32_t>(image->chipset.pmBase) | 1u);
  CloseHandle(device);
}

// A protocol slip in the updater must fail the run, not pass unnoticed.
TEST_CASE(nt_addmem_refuses_broken_requests) {
  HANDLE device = Open("\\\\.\\ADDMEM");
  if (device == INVALID_HANDLE_VALUE) return;
  const uint8_t shortRecord[7] = {0x64, 0, 0, 0, 0, 0, 0};
  uint8_t out[16] = {};
  Answer a = Send(device, 0x222038, shortRecord, sizeof shortRecord, out, 1);
  CHECK(!a.ok);
  CHECK_EQ(a.error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // A memory read whose address lost its high half (4 bytes).
  const uint8_t shortAddress[4] = {0x00, 0x00, 0x0F, 0x00};
  CHECK(!Send(device, 0x22204C, shortAddress, sizeof shortAddress, out, sizeof out).ok);
  // Another driver's code.
  const uint8_t record[8] = {0x64, 0, 0, 0, 0, 0, 0, 0};
  CHECK(!Send(device, 0x9C412400, record, sizeof record, out, 1).ok);
  // A port read with no room for its value.
  CHECK(!Send(device, 0x222048, record, sizeof record, out, 2).ok);
  CloseHandle(device);
}

// --- TORQ: one record, 9 or 17 bytes by the caller's width ------------------

std::vector<uint8_t> TorqRecord(bool wide, uint64_t address, uint8_t direction, uint64_t length) {
  std::vector<uint8_t> r(wide ? 17 : 9);
  const int width = wide ? 8 : 4;
  for (int i = 0; i < width; ++i) {
    r[i] = static_cast<uint8_t>(address >> (8 * i));
    r[width + 1 + i] = static_cast<uint8_t>(length >> (8 * i));
  }
  r[width] = direction;
  return r;
}

TEST_CASE(nt_torq_requests) {
  HANDLE device = Open("\\\\.\\TORQ\\TorqDrv.log");
  if (device == INVALID_HANDLE_VALUE) return;
  // The keyboard controller's status port, read with the caller's layout.
  std::vector<uint8_t> record = TorqRecord(wow64, 0x64, 1, 1);
  CHECK_EQ(record.size(), wow64 ? 17u : 9u);
  uint8_t status = 0;
  Answer a = Send(device, 0x9C412008, record.data(), static_cast<DWORD>(record.size()), &status, 1);
  CHECK(a.ok);
  CHECK_EQ(a.returned, 1u);
  CHECK_EQ(status, image->kbc.ReadStatus(0));
  // A CMOS write and read back: index 0x21 gets 0x3C.
  for (const auto& [port, value] :
       {std::pair<uint8_t, uint8_t>{0x70, 0x21}, {0x71, 0x3C}, {0x70, 0x21}}) {
    record = TorqRecord(wow64, port, 0, 1);
    record.push_back(value);
    uint8_t ignored = 0;
    CHECK(
        Send(device, 0x9C412008, record.data(), static_cast<DWORD>(record.size()), &ignored, 1).ok);
  }
  record = TorqRecord(wow64, 0x71, 1, 1);
  uint8_t cmos = 0;
  CHECK(Send(device, 0x9C412008, record.data(), static_cast<DWORD>(record.size()), &cmos, 1).ok);
  CHECK_EQ(cmos, 0x3C);
  // 16 bytes of firmware memory.
  record = TorqRecord(wow64, 0xF0000, 1, 16);
  uint8_t memory[16] = {};
  a = Send(device, 0x9C41200C, record.data(), static_cast<DWORD>(record.size()), memory,
           sizeof memory);
  CHECK(a.ok);
  CHECK_EQ(a.returned, 16u);
  CHECK(std::memcmp(memory, image->memory.firmware, 16) == 0);
  CloseHandle(device);
}

TEST_CASE(nt_torq_refuses_the_other_layout) {
  HANDLE device = Open("\\\\.\\TORQ\\TorqDrv.log");
  if (device == INVALID_HANDLE_VALUE) return;
  // The layout of the other width: a 32-bit record on 64-bit Windows or
  // the reverse, as an updater that misjudged WOW64 would send.
  std::vector<uint8_t> record = TorqRecord(!wow64, 0x64, 1, 1);
  uint8_t status = 0;
  Answer a = Send(device, 0x9C412008, record.data(), static_cast<DWORD>(record.size()), &status, 1);
  CHECK(!a.ok);
  CHECK_EQ(a.error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // A direction byte that is neither read nor write.
  record = TorqRecord(wow64, 0x64, 2, 1);
  CHECK(!Send(device, 0x9C412008, record.data(), static_cast<DWORD>(record.size()), &status, 1).ok);
  CloseHandle(device);
}

// --- KMDFMEMIO: one 16 + length record as input and output -----------------

struct KmdfRecord {
  uint8_t bytes[16 + 16];
  DWORD Size(uint32_t length) const { return 16 + length; }
};

void FillKmdf(KmdfRecord* r, uint32_t port, uint32_t address, uint32_t length) {
  std::memset(r->bytes, 0xCC, sizeof r->bytes);
  Put32(r->bytes, port);
  Put32(r->bytes + 4, address);
  Put32(r->bytes + 8, length);
  Put32(r->bytes + 12, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(r->bytes + 16)));
}

TEST_CASE(nt_kmdfmemio_requests) {
  HANDLE device = Open("\\\\.\\KMDFMEMIO\\kmdfmemiosamp.log");
  if (device == INVALID_HANDLE_VALUE) return;
  KmdfRecord r;
  FillKmdf(&r, 0x70, 0, 1);
  r.bytes[16] = kCmosIndex;
  CHECK(Send(device, 0x9C412404, r.bytes, r.Size(1), r.bytes, r.Size(1)).ok);
  FillKmdf(&r, 0x71, 0, 1);
  Answer a = Send(device, 0x9C412400, r.bytes, r.Size(1), r.bytes, r.Size(1));
  CHECK(a.ok);
  CHECK_EQ(a.returned, 17u);
  CHECK_EQ(r.bytes[16], image->chipset.cmos[0][kCmosIndex]);
  CHECK_EQ(r.bytes[8], 1);  // the record comes back whole
  FillKmdf(&r, 0, 0xF0000, 16);
  a = Send(device, 0x9C412800, r.bytes, r.Size(16), r.bytes, r.Size(16));
  CHECK(a.ok);
  CHECK(std::memcmp(r.bytes + 16, image->memory.firmware, 16) == 0);
  CloseHandle(device);
}

TEST_CASE(nt_kmdfmemio_refuses_broken_requests) {
  HANDLE device = Open("\\\\.\\KMDFMEMIO\\kmdfmemiosamp.log");
  if (device == INVALID_HANDLE_VALUE) return;
  KmdfRecord r;
  // A data pointer that is not this record's offset 16.
  FillKmdf(&r, 0x71, 0, 1);
  Put32(r.bytes + 12, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(r.bytes)));
  CHECK(!Send(device, 0x9C412400, r.bytes, r.Size(1), r.bytes, r.Size(1)).ok);
  // A width that does not match the code (a word read with the byte code).
  FillKmdf(&r, 0x71, 0, 2);
  CHECK(!Send(device, 0x9C412400, r.bytes, r.Size(2), r.bytes, r.Size(2)).ok);
  // The output buffer of another size than the record.
  FillKmdf(&r, 0x71, 0, 1);
  CHECK(!Send(device, 0x9C412400, r.bytes, r.Size(1), r.bytes, r.Size(4)).ok);
  CloseHandle(device);
}

// --- MEMIO.VXD: 16-byte record holding the address of the caller's value --

// Opened the Windows 9x way: creation disposition 0, delete-on-close.
HANDLE OpenVxdAs9x(DWORD* error) {
  HANDLE device = CreateFileA("\\\\.\\MEMIO.VXD", GENERIC_READ | GENERIC_WRITE, 0, nullptr, 0,
                              FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_NORMAL, nullptr);
  *error = device == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  return device;
}

// Wine takes the 9x form only from a program it runs as Windows 9x.
TEST_CASE(nt_refuses_the_vxd_open) {
  DWORD error = 0;
  HANDLE device = OpenVxdAs9x(&error);
  CHECK(device == INVALID_HANDLE_VALUE);
  CHECK_EQ(error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  if (device != INVALID_HANDLE_VALUE) CloseHandle(device);
}

void FillVxd(uint8_t record[16], uint32_t port, uint32_t width, const void* value) {
  Put32(record, port);
  Put32(record + 4, 0);
  Put32(record + 8, width);
  Put32(record + 12, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value)));
}

TEST_CASE(win9x_memiovxd_requests) {
  DWORD error = 0;
  HANDLE device = OpenVxdAs9x(&error);
  if (!CHECK_EQ(error, 0u)) return;
  uint8_t record[16];
  uint32_t value = kCmosIndex;
  FillVxd(record, 0x70, 1, &value);
  CHECK(Send(device, 0x9C412404, record, sizeof record, record, sizeof record).ok);
  value = 0xEEEEEEEE;
  FillVxd(record, 0x71, 1, &value);
  const Answer a = Send(device, 0x9C412400, record, sizeof record, record, sizeof record);
  CHECK(a.ok);
  // The driver stored the byte read in the caller's variable, and only it.
  CHECK_EQ(value, 0xEEEEEE00u | image->chipset.cmos[0][kCmosIndex]);
  // Memory goes through ADDMEM's codes.
  const uint8_t address[8] = {0x00, 0x00, 0x0F, 0x00, 0, 0, 0, 0};
  uint8_t memory[16] = {};
  CHECK(Send(device, 0x22204C, address, sizeof address, memory, sizeof memory).ok);
  CHECK(std::memcmp(memory, image->memory.firmware, 16) == 0);
  // A value address outside the caller's memory is refused, not written.
  FillVxd(record, 0x71, 1, reinterpret_cast<void*>(uintptr_t{0xFFFFFFF0}));
  CHECK(!Send(device, 0x9C412400, record, sizeof record, record, sizeof record).ok);
  CloseHandle(device);
}

// --- The harness's own code, and the service control manager ----------------

TEST_CASE(nt_dump_state) {
  HANDLE device = Open("\\\\.\\ADDMEM");
  if (device == INVALID_HANDLE_VALUE) return;
  CHECK(Send(device, ORV_DUMP_STATE_CODE, nullptr, 0, nullptr, 0).ok);
  CloseHandle(device);
}

// A kernel service whose driver file is missing is created, but does not
// start; the updater sees this only as a failed open afterwards.
TEST_CASE(nt_service_with_missing_file) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!CHECK(manager != nullptr)) return;
  SC_HANDLE service =
      CreateServiceA(manager, "OrvMissingDriver", "OrvMissingDriver", SERVICE_ALL_ACCESS,
                     SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                     "C:\\orvanta-test\\NO_SUCH.SYS", nullptr, nullptr, nullptr, nullptr, nullptr);
  if (CHECK(service != nullptr)) {
    const BOOL started = StartServiceA(service, 0, nullptr);
    const DWORD error = started ? 0 : GetLastError();
    CHECK(!started);
    CHECK_EQ(error, 1114u);
    CHECK(DeleteService(service));
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
}

// Microseconds per request and per open-request-close cycle (the state
// file is written at each close that follows requests). Measured here,
// asserted nowhere.
void Benchmark() {
  HANDLE device = Open("\\\\.\\ADDMEM");
  if (device == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  const uint8_t record[8] = {0x64, 0, 0, 0, 0, 0, 0, 0};
  uint8_t out[4];
  constexpr int kRequests = 2000, kCycles = 100;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kRequests; ++i) Send(device, 0x222038, record, sizeof record, out, 1);
  QueryPerformanceCounter(&end);
  CloseHandle(device);
  std::printf("port request: %.1f us\n",
              1e6 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart) / kRequests);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kCycles; ++i) {
    device = Open("\\\\.\\ADDMEM");
    Send(device, 0x222038, record, sizeof record, out, 1);
    CloseHandle(device);
  }
  QueryPerformanceCounter(&end);
  std::printf("open, request, close with state write: %.1f us\n",
              1e6 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart) / kCycles);
}

}  // namespace

int main(int argc, char** argv) {
  std::string only;
  if (argc == 2 && std::strcmp(argv[1], "--benchmark") == 0) {
    Benchmark();
    return 0;
  }
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--image")
      imagePath = argv[i + 1];
    else if (option == "--wow64")
      wow64 = std::strcmp(argv[i + 1], "1") == 0;
    else if (option == "--only")
      only = argv[i + 1];
  }
  if (!LoadImage()) {
    std::printf("cannot use the machine image %s\n0 passed, 1 failed\n", imagePath.c_str());
    return 1;
  }
  return check::RunCases(only);
}
