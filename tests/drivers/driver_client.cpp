// driver_client --image WINDOWS_PATH --wow64 0|1 --only PREFIX
//
// The test drivers' own checks, run by the end-to-end harness against the
// driver a family has running (cases nt_<kind>, win9x_memiovxd from a copy
// that Wine runs as Windows 98). Request records are written out byte by
// byte here, not built by the product's code, so a slip on either side
// shows; answers are checked against the machine image the driver started
// from, and every malformed record must be refused with error 87. Prints
// "N passed, M failed".
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

using Bytes = std::vector<uint8_t>;

bool g_wow64 = false;
std::unique_ptr<machine::Machine> g_image;
constexpr uint8_t kCmosIndex = 0x20;

bool LoadImage(const char* path) {
  FILE* in = std::fopen(path, "rb");
  if (!in) return false;
  Bytes bytes(machine_file::kFileSize + 1);
  const size_t size = std::fread(bytes.data(), 1, bytes.size(), in);
  std::fclose(in);
  g_image = std::make_unique<machine::Machine>();
  machine_file::Header header;
  if (size < machine_file::kHeaderSize ||
      machine_file::ReadHeader(*g_image, bytes.data(), size, machine_file::Kind::kImage, &header) !=
          machine_file::Fault::kNone)
    return false;
  std::memcpy(static_cast<void*>(g_image.get()), bytes.data() + machine_file::kHeaderSize,
              sizeof(machine::Machine));
  return true;
}

// Opened as the updater opens it; on Windows 98 the VxD way.
HANDLE Open(const char* name, bool vxd = false) {
  HANDLE device = CreateFileA(
      name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, vxd ? 0 : OPEN_EXISTING,
      vxd ? FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_NORMAL, nullptr);
  check::Record(device != INVALID_HANDLE_VALUE, __FILE__, __LINE__, name,
                "open failed with error " + check::Describe(GetLastError()));
  return device;
}

// Sends one request; `out` is resized to the output size. True when honoured.
bool Send(HANDLE device, DWORD code, const Bytes& in, Bytes* out, DWORD outSize, DWORD* error) {
  out->resize(outSize);
  DWORD returned = 0;
  const BOOL ok =
      DeviceIoControl(device, code, const_cast<uint8_t*>(in.data()), static_cast<DWORD>(in.size()),
                      out->data(), outSize, &returned, nullptr);
  *error = ok ? 0 : GetLastError();
  return ok;
}

// A request the driver must refuse with error 87.
void Refused(HANDLE device, DWORD code, const Bytes& in, DWORD outSize, const char* what) {
  Bytes out;
  DWORD error = 0;
  const bool ok = Send(device, code, in, &out, outSize, &error);
  check::Record(!ok && error == ERROR_INVALID_PARAMETER, __FILE__, __LINE__, what,
                ok ? "honoured" : "error " + check::Describe(error));
}

Bytes Le(uint64_t value, int width) {
  Bytes bytes;
  for (int i = 0; i < width; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return bytes;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// A TORQ record in the layout of a caller of width `wide`.
Bytes Torq(bool wide, uint64_t address, uint8_t direction, uint64_t length) {
  const int w = wide ? 8 : 4;
  return Cat({Le(address, w), {direction}, Le(length, w)});
}

TEST_CASE(nt_torq) {
  HANDLE device = Open("\\\\.\\TORQ\\TorqDrv.log");
  if (device == INVALID_HANDLE_VALUE) return;
  Bytes out;
  DWORD error = 0;
  // A CMOS byte written and read back, and memory, in the caller's layout.
  CHECK(Send(device, 0x9C412008, Cat({Torq(g_wow64, 0x70, 0, 1), {0x21}}), &out, 1, &error));
  CHECK(Send(device, 0x9C412008, Cat({Torq(g_wow64, 0x71, 0, 1), {0x3C}}), &out, 1, &error));
  CHECK(Send(device, 0x9C412008, Torq(g_wow64, 0x71, 1, 1), &out, 1, &error));
  CHECK_EQ(out[0], 0x3C);
  CHECK(Send(device, 0x9C41200C, Torq(g_wow64, 0xF0000, 1, 16), &out, 16, &error));
  CHECK(std::memcmp(out.data(), g_image->memory.firmware, 16) == 0);
  // The other width's layout, as an updater that misjudged WOW64 would send
  // it; a direction that is neither read nor write.
  Refused(device, 0x9C412008, Torq(!g_wow64, 0x64, 1, 1), 1, "the other layout");
  Refused(device, 0x9C412008, Torq(g_wow64, 0x64, 2, 1), 1, "direction 2");
  CloseHandle(device);
}

// One 16 + length record as input and output; bytes 12..15 hold the
// record's own address of its offset 16.
struct KmdfRecord {
  uint8_t bytes[32];
  DWORD Fill(uint32_t port, uint32_t address, uint32_t length, const uint8_t* pointsAt) {
    std::memset(bytes, 0xCC, sizeof bytes);
    const Bytes header = Cat({Le(port, 4), Le(address, 4), Le(length, 4),
                              Le(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointsAt)), 4)});
    std::memcpy(bytes, header.data(), header.size());
    return 16 + length;
  }
  bool Send(HANDLE device, DWORD code, DWORD size, DWORD outSize) {
    DWORD returned = 0;
    return DeviceIoControl(device, code, bytes, size, bytes, outSize, &returned, nullptr);
  }
};

TEST_CASE(nt_kmdfmemio) {
  HANDLE device = Open("\\\\.\\KMDFMEMIO\\kmdfmemiosamp.log");
  if (device == INVALID_HANDLE_VALUE) return;
  KmdfRecord r;
  DWORD size = r.Fill(0x70, 0, 1, r.bytes + 16);
  r.bytes[16] = kCmosIndex;
  CHECK(r.Send(device, 0x9C412404, size, size));
  size = r.Fill(0x71, 0, 1, r.bytes + 16);
  CHECK(r.Send(device, 0x9C412400, size, size));
  CHECK_EQ(r.bytes[16], g_image->chipset.cmos[0][kCmosIndex]);
  CHECK_EQ(r.bytes[8], 1);  // the record comes back whole
  size = r.Fill(0, 0xF0000, 16, r.bytes + 16);
  CHECK(r.Send(device, 0x9C412800, size, size));
  CHECK(std::memcmp(r.bytes + 16, g_image->memory.firmware, 16) == 0);
  // A data pointer that is not this record's offset 16, a width that does
  // not match the code, an output of another size than the record.
  size = r.Fill(0x71, 0, 1, r.bytes);
  CHECK(!r.Send(device, 0x9C412400, size, size));
  size = r.Fill(0x71, 0, 2, r.bytes + 16);
  CHECK(!r.Send(device, 0x9C412400, size, size));
  size = r.Fill(0x71, 0, 1, r.bytes + 16);
  CHECK(!r.Send(device, 0x9C412400, size, size + 3));
  CloseHandle(device);
}

TEST_CASE(nt_addmem) {
  HANDLE device = Open("\\\\.\\ADDMEM");
  if (device == INVALID_HANDLE_VALUE) return;
  Bytes out;
  DWORD error = 0;
  CHECK(Send(device, 0x22204C, Le(0xF0000, 8), &out, 16, &error));
  CHECK(std::memcmp(out.data(), g_image->memory.firmware, 16) == 0);
  CHECK(Send(device, 0x222034, Cat({Le(0x70, 4), Le(kCmosIndex, 4)}), &out, 1, &error));
  CHECK(Send(device, 0x222038, Le(0x71, 8), &out, 1, &error));
  CHECK_EQ(out[0], g_image->chipset.cmos[0][kCmosIndex]);
  CHECK(Send(device, 0x222044, Cat({Le(0xCF8, 4), Le(0x8000F840, 4)}), &out, 4, &error));
  CHECK(Send(device, 0x222048, Le(0xCFC, 8), &out, 4, &error));
  CHECK_EQ(out[0] | out[1] << 8, g_image->chipset.pmBase | 1);
  Refused(device, 0x222038, Le(0x64, 7), 1, "a 7-byte record");
  Refused(device, 0x22204C, Le(0xF0000, 4), 16, "an address without its high half");
  Refused(device, 0x9C412400, Le(0x64, 8), 1, "another driver's code");
  Refused(device, 0x222048, Le(0x64, 8), 2, "no room for the value");
  CHECK(Send(device, ORV_DUMP_STATE_CODE, {}, &out, 0, &error));  // the harness's own code
  CloseHandle(device);
}

// Wine takes the VxD form of CreateFileA only from a program it runs as
// Windows 9x: from an NT program it is refused before any driver sees it.
TEST_CASE(nt_memiovxd) {
  HANDLE device = CreateFileA("\\\\.\\MEMIO.VXD", GENERIC_READ | GENERIC_WRITE, 0, nullptr, 0,
                              FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_NORMAL, nullptr);
  CHECK(device == INVALID_HANDLE_VALUE);
  CHECK_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// A 16-byte record that holds the address of the caller's variable.
TEST_CASE(win9x_memiovxd) {
  HANDLE device = Open("\\\\.\\MEMIO.VXD", true);
  if (device == INVALID_HANDLE_VALUE) return;
  uint32_t value = kCmosIndex;
  const auto record = [](uint32_t port, uint32_t width, const void* at) {
    return Cat({Le(port, 4), Le(0, 4), Le(width, 4),
                Le(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(at)), 4)});
  };
  Bytes out;
  DWORD error = 0;
  CHECK(Send(device, 0x9C412404, record(0x70, 1, &value), &out, 16, &error));
  value = 0xEEEEEEEE;
  CHECK(Send(device, 0x9C412400, record(0x71, 1, &value), &out, 16, &error));
  // The driver stored the byte read in the caller's variable, and only it.
  CHECK_EQ(value, 0xEEEEEE00u | g_image->chipset.cmos[0][kCmosIndex]);
  CHECK(Send(device, 0x22204C, Le(0xF0000, 8), &out, 16, &error));  // memory: ADDMEM's codes
  CHECK(std::memcmp(out.data(), g_image->memory.firmware, 16) == 0);
  Refused(device, 0x9C412400, record(0x71, 1, reinterpret_cast<void*>(uintptr_t{0xFFFFFFF0})), 16,
          "a value address outside the caller's memory");
  CloseHandle(device);
}

}  // namespace

int main(int argc, char** argv) {
  std::string only, image;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--image") image = argv[i + 1];
    if (option == "--wow64") g_wow64 = std::strcmp(argv[i + 1], "1") == 0;
    if (option == "--only") only = argv[i + 1];
  }
  if (!LoadImage(image.c_str())) {
    std::printf("cannot use the machine image %s\n0 passed, 1 failed\n", image.c_str());
    return 1;
  }
  return check::RunCases(only);
}
