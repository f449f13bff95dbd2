#include "support/smbios_table.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

namespace smbios_test {
namespace {

// The bytes of "01 A5 08": a formatted area as dmidecode -u shows it.
std::vector<uint8_t> Hex(const char* text) {
  std::vector<uint8_t> bytes;
  for (const char* at = text; *at; ++at) {
    if (*at == ' ') continue;
    bytes.push_back(static_cast<uint8_t>(std::stoul(std::string(at, 2), nullptr, 16)));
    ++at;
  }
  return bytes;
}

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
  t.Add(0, Hex("01 02 00 E8 03 3F 80 98 F9 7F 0B 00 00 00 03 0D 00 21 00 14"),
        {"Phoenix Technologies Ltd.", f.biosVersion, "03/14/2012"});
  t.Add(1, Hex("01 02 03 04 10 54 35 00 44 45 4C 4C 31 33 4D 4F C0 B4 57 80 06 05 06"),
        {f.manufacturer, f.product, f.version, f.serial, "System SKUNumber", "SandyBridge System"});
  t.Add(2, Hex("01 02 03 04 05 09 06 03 00 0A 00"),
        {f.manufacturer, "ORV-MB-900X3C", "FAB1", "123490EN400015", "Base Board Asset Tag",
         "Part Component"});
  t.Add(3, Hex("01 0A 02 03 04 03 03 03 03 00 00 00 00 00 01 00 00"),
        {f.manufacturer, "N/A", "123490EN400015", "No Asset Tag"});
  t.Add(4,
        Hex("01 03 C6 02 A9 06 03 00 FF FB EB BF 03 8B 64 00 60 09 A4 06 41 24 05 00 06 00 07 00"
            "04 05 06 02 02 04 EC 00 C6 00"),
        {"CPU Socket - U3E1", "Intel(R) Corporation", "Intel(R) Core(TM) i7-3517U CPU @ 1.90GHz",
         oem, oem, oem});
  t.Add(7, Hex("01 80 01 40 00 40 00 20 00 20 00 00 06 04 07"), {"L1 Cache"});
  t.Add(7, Hex("01 81 01 00 02 00 02 20 00 20 00 00 06 05 07"), {"L2 Cache"});
  t.Add(7, Hex("01 82 01 00 10 00 10 20 00 20 00 00 06 05 09"), {"L3 Cache"});
  // Port connectors: each names its internal and external designators,
  // or only the internal one.
  const char* const external[][2] = {{"J1A1", "PS2Mouse"}, {"J1A1", "Keyboard"}, {"J2A1", "TV Out"},
                                     {"J2A2A", "COM A"},   {"J2A2B", "Video"},   {"J3A1", "USB1"},
                                     {"J3A1", "USB2"},     {"J3A1", "USB3"}};
  for (const auto& port : external) t.Add(8, Hex("01 00 02 0F 10"), {port[0], port[1]});
  for (const char* internal :
       {"J9A1 - TPM HDR", "J9C1 - PCIE DOCKING CONN", "J2B3 - CPU FAN", "J6C2 - EXT HDMI",
        "J3C1 - GMCH FAN", "J1D1 - ITP", "J9E2 - MDC INTPSR", "J9E4 - MDC INTPSR",
        "J9E3 - LPC HOT DOCKING", "J9E1 - SCAN MATRIX", "J9G1 - LPC SIDE BAND", "J8F1 - UNIFIED",
        "J6F1 - LVDS", "J2F1 - LAI FAN", "J2G1 - GFX VID", "J1G6 - AC JACK"})
    t.Add(8, Hex("01 FF 00 00 FF"), {internal});
  t.Add(9, Hex("01 A5 08 03 04 01 00 0C 01 00 00 00 E0"), {"PCIe x1 Mini Card"});
  t.Add(9, Hex("01 A5 08 04 04 02 00 0C 01 00 00 02 00"), {"PCIe x1 mSATA"});
  t.Add(10, Hex("83 01 85 02"), {"Intel HD Graphics 4000", "Realtek ALC269"});
  t.Add(11, Hex("05"),
        {f.biosFlag, f.purchaseDate, "ABS 70/71 79 7A 7B 7C", "CSP 24 32 0B",
         "Orvanta reserved: a string of more than thirty-two characters"});
  t.Add(12, Hex("01"), {oem});
  t.Add(13, Hex("02 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01"), {"enUS", "frFR"});
  t.Add(16, Hex("03 03 03 00 00 00 01 FE FF 02 00"));
  for (const char* slot : {"A", "B"}) {
    t.Add(17, Hex("28 00 FE FF 40 00 40 00 00 10 0D 00 01 02 18 80 00 40 06 03 04 05 06 01"),
          {std::string("Channel") + slot + "-DIMM0", slot[0] == 'A' ? "BANK 0" : "BANK 2",
           "Orvanta Memory Co.", slot[0] == 'A' ? "8A6C3E0F" : "8A6C3E10", "9876543210",
           "M471B5273DH0-CK0  "});
  }
  t.Add(19, Hex("00 00 00 00 FF FF 7F 00 28 00 02"));
  t.Add(20, Hex("00 00 00 00 FF FF 3F 00 29 00 2B 00 FF 01 02"));
  t.Add(20, Hex("00 00 40 00 FF FF 7F 00 2A 00 2B 00 FF 01 02"));
  t.Add(21, Hex("07 04 02"));  // touch pad, PS/2
  t.Add(22, Hex("01 02 03 04 05 02 C0 12 5C 2B 06 01 34 12 89 40 07 00 00 00 00 00"),
        {"Rear", "Orvanta Power", "03/01/2012", "B0001234", "AA-PB9NC6B", "1.0", "LION"});
  t.Add(24, Hex("0F"));
  t.Add(27, Hex("30 00 63 01 00 00 00 00 00 80 01"), {"CPU Fan"});
  t.Add(28, Hex("01 63 E8 03 00 00 00 80 00 80 00 80 00 00 00 00 00 80"), {"CPU Thermal Probe"});
  t.Add(32, Hex("00 00 00 00 00 00 00"));
  t.Add(41, Hex("01 83 01 00 00 00 10"), {"Onboard IGD"});
  t.Add(41, Hex("01 84 01 00 00 00 11"), {"Onboard LAN"});
  t.Add(41, Hex("01 85 01 00 00 00 12"), {"Onboard 1394"});
  t.Add(41, Hex("01 86 01 00 00 00 13"), {"Onboard Audio"});
  // Vendor structures, as real tables carry.
  t.Add(129, Hex("01 02 01 0C"), {"Orvanta_ASF", "Orvanta_ASF_001"});
  t.Add(130, Hex("54 4D 41 24 01 01 01 00 A5 AF 02 C0 00 01 00 00"));
  std::vector<uint8_t> management = Hex("40 00 00 00 00 00 00 00 20 00 00 00");
  management.resize(52, 0);
  t.Add(131, management);
  t.Add(136, Hex("5A 5A"));
  t.Add(221, Hex("03 01 00 01 02 01"),
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
