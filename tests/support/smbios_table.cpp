#include "support/smbios_table.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

namespace smbios_test {
namespace {

// Field bytes of a formatted area, little-endian.
class Fields {
 public:
  Fields& u8(uint8_t v) {
    bytes_.push_back(v);
    return *this;
  }
  Fields& u16(uint16_t v) { return u8(static_cast<uint8_t>(v)).u8(static_cast<uint8_t>(v >> 8)); }
  Fields& u32(uint32_t v) {
    return u16(static_cast<uint16_t>(v)).u16(static_cast<uint16_t>(v >> 16));
  }
  Fields& u64(uint64_t v) {
    return u32(static_cast<uint32_t>(v)).u32(static_cast<uint32_t>(v >> 32));
  }
  Fields& zeros(size_t n) {
    bytes_.insert(bytes_.end(), n, 0);
    return *this;
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

uint8_t Checksum(const std::string& bytes, size_t at, size_t n) {
  uint8_t sum = 0;
  for (size_t i = at; i < at + n; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
  return static_cast<uint8_t>(-sum);
}

void Put16(std::string& s, size_t at, uint16_t v) {
  s[at] = static_cast<char>(v);
  s[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& s, size_t at, uint32_t v) {
  Put16(s, at, static_cast<uint16_t>(v));
  Put16(s, at + 2, static_cast<uint16_t>(v >> 16));
}

// The 15-byte "_DMI_" entry point at `at` for a table at 0x20 of the dump.
void PutLegacyEntryPoint(std::string& dump, size_t at, uint16_t length, uint16_t count) {
  dump.replace(at, 5, "_DMI_");
  Put16(dump, at + 6, length);
  Put32(dump, at + 8, 0x20);
  Put16(dump, at + 12, count);
  dump[at + 14] = 0x27;
  dump[at + 5] = static_cast<char>(Checksum(dump, at, 15));
}

std::string Run(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return {};
  std::string out;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) out.append(buffer, n);
  return out;
}

std::string Dmidecode(const std::string& dump, const std::string& arguments) {
  return Run("dmidecode --from-dump '" + dump + "' " + arguments + " 2>/dev/null");
}

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

}  // namespace

TableBuilder& TableBuilder::Add(uint8_t type, const std::vector<uint8_t>& fields,
                                const std::vector<std::string>& strings) {
  std::vector<uint8_t> s = {type, static_cast<uint8_t>(4 + fields.size()),
                            static_cast<uint8_t>(handle_), static_cast<uint8_t>(handle_ >> 8)};
  s.insert(s.end(), fields.begin(), fields.end());
  for (const std::string& text : strings) {
    s.insert(s.end(), text.begin(), text.end());
    s.push_back(0);
  }
  if (strings.empty()) s.push_back(0);
  s.push_back(0);
  ++handle_;
  return AddRaw(s);
}

TableBuilder& TableBuilder::AddRaw(const std::vector<uint8_t>& bytes) {
  offsets_.push_back(bytes_.size());
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  ++count_;
  return *this;
}

TableBuilder& TableBuilder::End() {
  return Add(127, {});
}

TableBuilder NotebookTable(const NotebookFacts& f) {
  TableBuilder t;
  const std::string oem = "To Be Filled By O.E.M.";
  t.Add(0,
        Fields()
            .u8(1)
            .u8(2)
            .u16(0xE800)
            .u8(3)
            .u8(0x3F)
            .u64(0x0B7FF99880)
            .u8(0x03)
            .u8(0x0D)
            .u8(0)
            .u8(33)
            .u8(0)
            .u8(20)
            .bytes(),
        {"Phoenix Technologies Ltd.", f.biosVersion, "03/14/2012"});
  t.Add(1,
        Fields()
            .u8(1)
            .u8(2)
            .u8(3)
            .u8(4)
            .u64(0x4C4C454400355410)
            .u64(0x8057B4C04F4D3331)
            .u8(6)
            .u8(5)
            .u8(6)
            .bytes(),
        {f.manufacturer, f.product, f.version, f.serial, "System SKUNumber", "SandyBridge System"});
  t.Add(2, Fields().u8(1).u8(2).u8(3).u8(4).u8(5).u8(0x09).u8(6).u16(3).u8(0x0A).u8(0).bytes(),
        {f.manufacturer, "ORV-MB-900X3C", "FAB1", "123490EN400015", "Base Board Asset Tag",
         "Part Component"});
  t.Add(3,
        Fields()
            .u8(1)
            .u8(0x0A)
            .u8(2)
            .u8(3)
            .u8(4)
            .u8(3)
            .u8(3)
            .u8(3)
            .u8(3)
            .u32(0)
            .u8(0)
            .u8(1)
            .u8(0)
            .u8(0)
            .bytes(),
        {f.manufacturer, "N/A", "123490EN400015", "No Asset Tag"});
  t.Add(4,
        Fields()
            .u8(1)
            .u8(3)
            .u8(0xC6)
            .u8(2)
            .u64(0xBFEBFBFF000306A9)
            .u8(3)
            .u8(0x8B)
            .u16(100)
            .u16(2400)
            .u16(1700)
            .u8(0x41)
            .u8(0x24)
            .u16(5)
            .u16(6)
            .u16(7)
            .u8(4)
            .u8(5)
            .u8(6)
            .u8(2)
            .u8(2)
            .u8(4)
            .u16(0x00EC)
            .u16(0xC6)
            .bytes(),
        {"CPU Socket - U3E1", "Intel(R) Corporation", "Intel(R) Core(TM) i7-3517U CPU @ 1.90GHz",
         oem, oem, oem});
  const char* const caches[] = {"L1 Cache", "L2 Cache", "L3 Cache"};
  const uint16_t cacheSizes[] = {64, 512, 4096};
  for (int i = 0; i < 3; ++i) {
    t.Add(7,
          Fields()
              .u8(1)
              .u16(static_cast<uint16_t>(0x0180 | i))
              .u16(cacheSizes[i])
              .u16(cacheSizes[i])
              .u16(0x20)
              .u16(0x20)
              .u8(0)
              .u8(6)
              .u8(i == 0 ? 4 : 5)
              .u8(i == 2 ? 9 : 7)
              .bytes(),
          {caches[i]});
  }
  // Port connectors: each names its internal and external designators,
  // some only one of them.
  const char* const ports[][2] = {{"J1A1", "PS2Mouse"},
                                  {"J1A1", "Keyboard"},
                                  {"J2A1", "TV Out"},
                                  {"J2A2A", "COM A"},
                                  {"J2A2B", "Video"},
                                  {"J3A1", "USB1"},
                                  {"J3A1", "USB2"},
                                  {"J3A1", "USB3"},
                                  {"J9A1 - TPM HDR", ""},
                                  {"J9C1 - PCIE DOCKING CONN", ""},
                                  {"J2B3 - CPU FAN", ""},
                                  {"J6C2 - EXT HDMI", ""},
                                  {"J3C1 - GMCH FAN", ""},
                                  {"J1D1 - ITP", ""},
                                  {"J9E2 - MDC INTPSR", ""},
                                  {"J9E4 - MDC INTPSR", ""},
                                  {"J9E3 - LPC HOT DOCKING", ""},
                                  {"J9E1 - SCAN MATRIX", ""},
                                  {"J9G1 - LPC SIDE BAND", ""},
                                  {"J8F1 - UNIFIED", ""},
                                  {"J6F1 - LVDS", ""},
                                  {"J2F1 - LAI FAN", ""},
                                  {"J2G1 - GFX VID", ""},
                                  {"J1G6 - AC JACK", ""}};
  for (const auto& port : ports) {
    const bool external = port[1][0] != 0;
    t.Add(
        8,
        Fields()
            .u8(1)
            .u8(external ? 0 : 0xFF)
            .u8(external ? 2 : 0)
            .u8(external ? 0x0F : 0)
            .u8(external ? 0x10 : 0xFF)
            .bytes(),
        external ? std::vector<std::string>{port[0], port[1]} : std::vector<std::string>{port[0]});
  }
  t.Add(9,
        Fields()
            .u8(1)
            .u8(0xA5)
            .u8(0x08)
            .u8(3)
            .u8(4)
            .u16(1)
            .u8(0x0C)
            .u8(1)
            .u16(0)
            .u8(0)
            .u8(0xE0)
            .bytes(),
        {"PCIe x1 Mini Card"});
  t.Add(
      9,
      Fields().u8(1).u8(0xA5).u8(0x08).u8(4).u8(4).u16(2).u8(0x0C).u8(1).u16(0).u8(2).u8(0).bytes(),
      {"PCIe x1 mSATA"});
  t.Add(10, Fields().u8(0x83).u8(1).u8(0x85).u8(2).bytes(),
        {"Intel HD Graphics 4000", "Realtek ALC269"});
  t.Add(11, Fields().u8(5).bytes(),
        {f.biosFlag, f.purchaseDate, "ABS 70/71 79 7A 7B 7C", "CSP 24 32 0B",
         "Orvanta reserved: a string of more than thirty-two characters"});
  t.Add(12, Fields().u8(1).bytes(), {oem});
  t.Add(13, Fields().u8(2).u8(1).zeros(15).u8(1).bytes(), {"enUS", "frFR"});
  t.Add(16, Fields().u8(3).u8(3).u8(3).u32(0x1000000).u16(0xFFFE).u16(2).bytes());
  for (int slot = 0; slot < 2; ++slot) {
    t.Add(
        17,
        Fields()
            .u16(40)
            .u16(0xFFFE)
            .u16(64)
            .u16(64)
            .u16(4096)
            .u8(0x0D)
            .u8(0)
            .u8(1)
            .u8(2)
            .u8(0x18)
            .u16(0x0080)
            .u16(1600)
            .u8(3)
            .u8(4)
            .u8(5)
            .u8(6)
            .u8(1)
            .bytes(),
        {slot ? "ChannelB-DIMM0" : "ChannelA-DIMM0", slot ? "BANK 2" : "BANK 0",
         "Orvanta Memory Co.", slot ? "8A6C3E10" : "8A6C3E0F", "9876543210", "M471B5273DH0-CK0  "});
  }
  t.Add(19, Fields().u32(0).u32(0x7FFFFF).u16(40).u8(2).bytes());
  for (int slot = 0; slot < 2; ++slot) {
    t.Add(20, Fields()
                  .u32(slot * 0x400000)
                  .u32(slot * 0x400000 + 0x3FFFFF)
                  .u16(static_cast<uint16_t>(41 + slot))
                  .u16(43)
                  .u8(0xFF)
                  .u8(1)
                  .u8(2)
                  .bytes());
  }
  t.Add(21, Fields().u8(7).u8(4).u8(2).bytes());  // touch pad, PS/2
  t.Add(22,
        Fields()
            .u8(1)
            .u8(2)
            .u8(3)
            .u8(4)
            .u8(5)
            .u8(2)
            .u16(4800)
            .u16(11100)
            .u8(6)
            .u8(1)
            .u16(0x1234)
            .u16(0x4089)
            .u8(7)
            .u8(0)
            .u32(0)
            .bytes(),
        {"Rear", "Orvanta Power", "03/01/2012", "B0001234", "AA-PB9NC6B", "1.0", "LION"});
  t.Add(24, Fields().u8(0x0F).bytes());
  t.Add(27, Fields().u16(48).u8(0x63).u8(1).u32(0).u16(0x8000).u8(1).bytes(), {"CPU Fan"});
  t.Add(28,
        Fields()
            .u8(1)
            .u8(0x63)
            .u16(1000)
            .u16(0)
            .u16(0x8000)
            .u16(0x8000)
            .u16(0x8000)
            .u32(0)
            .u16(0x8000)
            .bytes(),
        {"CPU Thermal Probe"});
  t.Add(32, Fields().zeros(6).u8(0).bytes());
  const char* const onboard[] = {"Onboard IGD", "Onboard LAN", "Onboard 1394", "Onboard Audio"};
  for (int i = 0; i < 4; ++i) {
    t.Add(41,
          Fields()
              .u8(1)
              .u8(static_cast<uint8_t>(0x83 + i))
              .u8(1)
              .u16(0)
              .u8(0)
              .u8(static_cast<uint8_t>(0x10 + i))
              .bytes(),
          {onboard[i]});
  }
  // Vendor structures, as real tables carry.
  t.Add(129, Fields().u8(1).u8(2).u8(1).u8(0x0C).bytes(), {"Orvanta_ASF", "Orvanta_ASF_001"});
  t.Add(130, Fields()
                 .u32(0x24414D54)
                 .u8(1)
                 .u8(1)
                 .u8(1)
                 .u8(0)
                 .u8(0xA5)
                 .u8(0xAF)
                 .u8(2)
                 .u8(0xC0)
                 .u8(0)
                 .u8(1)
                 .u8(0)
                 .u8(0)
                 .bytes());
  t.Add(131, Fields().u32(0x00000040).u32(0).u32(0x20).zeros(40).bytes());
  t.Add(136, Fields().u16(0x5A5A).bytes());
  t.Add(221, Fields().u8(3).u8(1).u8(0).u8(1).u8(2).u8(1).bytes(),
        {"Reference Code - CPU", "uCode Version", "TXT ACM version"});
  return t.End();
}

std::string DumpFile(const TableBuilder& table, EntryPointKind kind) {
  constexpr size_t kTableAt = 0x20;
  const std::vector<uint8_t>& bytes = table.Bytes();
  std::string dump(kTableAt, '\0');
  dump.append(bytes.begin(), bytes.end());
  const auto length = static_cast<uint16_t>(bytes.size());
  switch (kind) {
    case EntryPointKind::kVersion3:
      dump.replace(0, 5, "_SM3_");
      dump[6] = 0x18;
      dump[7] = 3;
      dump[10] = 1;
      Put32(dump, 12, static_cast<uint32_t>(bytes.size()));
      Put32(dump, 16, kTableAt);
      dump[5] = static_cast<char>(Checksum(dump, 0, 0x18));
      break;
    case EntryPointKind::kVersion2:  // the legacy entry point at 16, behind its own header
      dump.replace(0, 4, "_SM_");
      dump[5] = 0x1F;
      dump[6] = 2;
      dump[7] = 7;
      Put16(dump, 8, 0x100);
      PutLegacyEntryPoint(dump, 16, length, table.Count());
      dump[4] = static_cast<char>(Checksum(dump, 0, 0x1F));
      break;
    case EntryPointKind::kLegacy:
      PutLegacyEntryPoint(dump, 0, length, table.Count());
      break;
  }
  return dump;
}

DmidecodeView ReadWithDmidecode(const std::string& dumpPath) {
  DmidecodeView view;
  const std::string version = Run("dmidecode --version 2>/dev/null");
  view.ran = !version.empty();
  if (!view.ran) return view;
  view.serial = FirstLine(Dmidecode(dumpPath, "-s system-serial-number"));
  view.oem1 = FirstLine(Dmidecode(dumpPath, "--oem-string 1"));
  view.oem2 = FirstLine(Dmidecode(dumpPath, "--oem-string 2"));
  return view;
}

std::vector<std::string> StringsWithDmidecode(const std::string& dumpPath, int type) {
  // -u lists each structure's strings after "Strings:": the bytes of each
  // (hex, its NUL last, 16 to a line), then its text on a line of its own.
  const std::string text = Dmidecode(dumpPath, "-u -t " + std::to_string(type));
  std::vector<std::string> strings;
  bool inStrings = false, textNext = false;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find('\n', at), text.size());
    std::string line = text.substr(at, end - at);
    at = end + 1;
    line.erase(0, line.find_first_not_of('\t'));
    if (line == "Strings:") {
      inStrings = true;
    } else if (line.empty()) {
      if (inStrings) break;  // only the first structure of the type
    } else if (inStrings && textNext) {
      strings.push_back(line);
      textNext = false;
    } else if (inStrings) {
      textNext = line == "00" || (line.size() > 3 && line.compare(line.size() - 3, 3, " 00") == 0);
    }
  }
  return strings;
}

}  // namespace smbios_test
