#include "os/sim/hardware_profile.h"

#include <stdexcept>
#include <vector>

#include "os/sim/firmware_profile.h"
#include "os/sim/profile_fields.h"

namespace sim {
namespace {

using nlohmann::json;

// "normal", "dead" or {"slowMicros": N}.
machine::Behaviour ReadBehaviour(const json& object, const char* field) {
  machine::Behaviour b;
  if (!object.contains(field)) return b;
  const json& v = object[field];
  if (v.is_object()) {
    b.mode = machine::Behaviour::kSlow;
    b.delayMicros = static_cast<uint32_t>(NumberOr(v, "slowMicros", 0));
  } else if (v == "dead") {
    b.mode = machine::Behaviour::kDead;
  } else if (v != "normal") {
    throw std::runtime_error(std::string("profile: \"") + field +
                             "\" must be normal, dead or {\"slowMicros\": N}");
  }
  return b;
}

std::vector<uint8_t> HexBytes(const std::string& text) {
  std::vector<uint8_t> bytes;
  std::string digits;
  for (char c : text)
    if (c != ' ') digits += c;
  if (digits.size() % 2) throw std::runtime_error("profile: odd number of hex digits");
  for (size_t i = 0; i < digits.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  return bytes;
}

void LoadFile(const json& profile, const std::string& name, uint8_t* to, size_t size) {
  const std::vector<uint8_t> data = ReadProfileFile(profile, name);
  if (data.size() != size)
    throw std::runtime_error("profile: memory file " + name + " has the wrong size");
  std::copy(data.begin(), data.end(), to);
}

// The "SwSmi@" record in the firmware segment and the handler behind it.
void BuildSwSmi(const json& s, machine::Machine* m) {
  const uint64_t record = NumberOr(s, "recordAddress", 0xFE000);
  const uint16_t port = static_cast<uint16_t>(NumberOr(s, "port", 0xB2));
  const uint8_t trigger = static_cast<uint8_t>(NumberOr(s, "trigger", 0xEF));
  const uint8_t open = static_cast<uint8_t>(NumberOr(s, "open", 0xE0));
  const uint8_t close = static_cast<uint8_t>(NumberOr(s, "close", 0xE1));
  const uint16_t segment = static_cast<uint16_t>(NumberOr(s, "mailboxSegment", 0xF000));
  const uint16_t offset = static_cast<uint16_t>(NumberOr(s, "mailboxOffset", 0xF800));
  const uint8_t level = static_cast<uint8_t>(NumberOr(s, "level", 0x24));
  std::vector<uint8_t> bytes = {'S',
                                'w',
                                'S',
                                'm',
                                'i',
                                '@',
                                static_cast<uint8_t>(port),
                                static_cast<uint8_t>(port >> 8),
                                trigger,
                                open,
                                close,
                                static_cast<uint8_t>(offset),
                                static_cast<uint8_t>(offset >> 8),
                                static_cast<uint8_t>(segment),
                                static_cast<uint8_t>(segment >> 8),
                                level,
                                0};
  // A record cut off by the end of the segment keeps only what fits.
  const uint64_t end =
      machine::PhysicalMemory::kFirmwareBase + machine::PhysicalMemory::kFirmwareSize;
  if (record + bytes.size() > end && record < end) bytes.resize(end - record);
  Place(m, record, bytes);
  m->smi.Configure(port, trigger, open, close, uint32_t{segment} * 16 + offset);
  m->smi.behaviour = ReadBehaviour(s, "handler");
  const std::string model = s.value("model", "NP-TEST");
  for (size_t i = 0; i < 16 && i < model.size(); ++i) m->smi.model[i] = model[i];
}

void BuildKeyboardController(const json& k, machine::Machine* m) {
  m->kbc.behaviour = ReadBehaviour(k, "behaviour");
  m->kbc.commandByte = static_cast<uint8_t>(NumberOr(k, "commandByte", m->kbc.commandByte));
  if (k.contains("pending")) {
    const json& p = k["pending"];
    m->kbc.QueueOutput(static_cast<uint8_t>(NumberOr(p, "data", 0)), p.value("aux", false), 0);
  }
}

void BuildSuperIo(const json& s, machine::Machine* m) {
  machine::SuperIo& io = m->superIo;
  io.present = true;
  io.configPort = static_cast<uint16_t>(NumberOr(s, "port", 0x2E));
  io.chipId = static_cast<uint8_t>(NumberOr(s, "chipId", 0x4D));
  if (!s.contains("mailbox")) {
    io.mailboxActive = 0;
    return;
  }
  const json& mb = s["mailbox"];
  io.mailboxActive = static_cast<uint8_t>(NumberOr(mb, "active", 1));
  io.mailboxBase = static_cast<uint16_t>(NumberOr(mb, "base", 0x900));
  io.mailboxBehaviour = ReadBehaviour(mb, "behaviour");
  if (mb.contains("reply")) {
    io.hasReply = true;
    const json& reply = mb["reply"];
    for (size_t i = 0; i < reply.size() && i < machine::SuperIo::kDataCount; ++i) {
      io.reply[i] = static_cast<uint8_t>(Number(reply[i], "reply"));
    }
  }
}

// One of `names`, by position; `field` names the value in the error.
template <size_t N>
uint8_t Choice(const json& object, const char* field, const char* const (&names)[N]) {
  if (!object.contains(field)) return 0;
  for (size_t i = 0; i < N; ++i)
    if (object[field] == names[i]) return static_cast<uint8_t>(i);
  std::string allowed;
  for (const char* name : names) allowed += std::string(allowed.empty() ? "" : ", ") + name;
  throw std::runtime_error(std::string("profile: \"") + field + "\" must be one of " + allowed);
}

// Physical drives; without the section, one fixed ATA disk without a
// password at drive 0.
void BuildDisks(const json& h, machine::Machine* m) {
  machine::Disks& disks = m->disks;
  if (!h.contains("disks")) {
    disks.drive[0].present = true;
    return;
  }
  static const char* const kTypes[] = {"ata", "atapi"};
  static const char* const kSecurity[] = {"none", "supported", "enabled"};
  static const char* const kControllers[] = {"answers", "refuses-smart", "no-ide"};
  static constexpr uint8_t kSecurityBits[] = {
      0, machine::Disks::kSecuritySupported,
      machine::Disks::kSecuritySupported | machine::Disks::kSecurityEnabled};
  for (const json& item : h["disks"]) {
    const uint64_t number = NumberOr(item, "drive", 0);
    if (number >= machine::Disks::kDrives)
      throw std::runtime_error("profile: \"drive\" must be 0 to 7");
    machine::Disks::Drive& d = disks.drive[number];
    d.present = true;
    d.atapi = Choice(item, "type", kTypes) == 1;
    d.removable = item.value("removable", false);
    d.security = kSecurityBits[Choice(item, "security", kSecurity)];
    d.controller =
        static_cast<machine::Disks::Controller>(Choice(item, "controller", kControllers));
  }
}

DriverPresence ReadPresence(const json& drivers, const char* name) {
  DriverPresence p;
  if (!drivers.contains(name)) return p;
  const json& d = drivers[name];
  if (d.is_boolean()) {
    p.present = d.get<bool>();
  } else {
    p.present = d.value("present", true);
    p.openFailures = static_cast<uint32_t>(NumberOr(d, "openFailures", 0));
    p.opensBeforeLoss = static_cast<uint32_t>(NumberOr(d, "opensBeforeLoss", 0));
  }
  return p;
}

}  // namespace

DriverSetup ReadDriverSetup(const json& profile) {
  DriverSetup setup;
  if (!profile.contains("drivers")) return setup;
  const json& d = profile["drivers"];
  setup.torq = ReadPresence(d, "torq");
  setup.kmdfMemIo = ReadPresence(d, "kmdfmemio");
  setup.memIoVxd = ReadPresence(d, "memiovxd");
  setup.requestMicros = static_cast<uint32_t>(NumberOr(d, "requestMicros", setup.requestMicros));
  if (d.contains("addmem")) {
    const json& a = d["addmem"];
    setup.addMemOpenFailures = static_cast<uint32_t>(NumberOr(a, "openFailures", 0));
    setup.addMemRegisteredPath = a.value("registered", "");
    setup.addMemRunning = a.value("running", false);
  }
  return setup;
}

void BuildMachine(const json& profile, machine::Machine* m) {
  m->Reset();
  if (profile.contains("drivers")) {
    const json& d = profile["drivers"];
    if (d.contains("refusePortRequests")) {
      m->refusePortRequests =
          d["refusePortRequests"] == "all"
              ? machine::Machine::kRefuseAll
              : static_cast<uint32_t>(Number(d["refusePortRequests"], "refusePortRequests"));
    }
    if (d.contains("refuseMemoryReadAt")) {
      m->refuseMemoryRead = true;
      m->refuseMemoryReadAt = Number(d["refuseMemoryReadAt"], "refuseMemoryReadAt");
    }
  }
  static const json kNoHardware = json::object();
  const json& h = profile.contains("hardware") ? profile["hardware"] : kNoHardware;
  BuildDisks(h, m);
  if (h.contains("firmwareFile"))
    LoadFile(profile, h["firmwareFile"], m->memory.firmware, sizeof m->memory.firmware);
  if (h.contains("topFile")) LoadFile(profile, h["topFile"], m->memory.top, sizeof m->memory.top);
  BuildFirmware(profile, m);
  if (h.contains("memory")) {
    for (const json& item : h["memory"]) {
      const uint64_t address = NumberOr(item, "address", 0);
      if (item.contains("text")) {
        const std::string text = item["text"];
        Place(m, address, std::vector<uint8_t>(text.begin(), text.end()));
      }
      if (item.contains("hex")) Place(m, address, HexBytes(item["hex"]));
    }
  }
  if (h.contains("swSmi")) BuildSwSmi(h["swSmi"], m);
  if (h.contains("keyboardController")) BuildKeyboardController(h["keyboardController"], m);
  if (h.contains("embeddedController") && h["embeddedController"].contains("ram")) {
    for (const json& item : h["embeddedController"]["ram"]) {
      m->kbc.ecRam[NumberOr(item, "address", 0) & 0xFFFF] =
          static_cast<uint8_t>(NumberOr(item, "value", 0));
    }
  }
  if (h.contains("superIo")) BuildSuperIo(h["superIo"], m);
  if (h.contains("pci")) {
    const json& p = h["pci"];
    m->chipset.lpcPresent = p.value("lpc", true);
    m->chipset.pmBase = static_cast<uint16_t>(NumberOr(p, "pmBase", m->chipset.pmBase));
    m->chipset.smiEnable = static_cast<uint32_t>(NumberOr(p, "smiEnable", 0));
  }
  if (h.contains("cmos")) {
    for (const json& item : h["cmos"]) {
      const int bank = NumberOr(item, "bank", 0) ? 1 : 0;
      m->chipset.cmos[bank][NumberOr(item, "index", 0) & 0x7F] =
          static_cast<uint8_t>(NumberOr(item, "value", 0));
    }
  }
}

}  // namespace sim
