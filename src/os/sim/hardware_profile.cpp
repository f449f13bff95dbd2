#include "os/sim/hardware_profile.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace sim {
namespace {

using nlohmann::json;

uint64_t Number(const json& v, const char* field) {
  try {
    if (v.is_string()) return std::stoull(v.get<std::string>(), nullptr, 0);
    if (v.is_boolean()) return v.get<bool>() ? 1 : 0;
    return v.get<uint64_t>();
  } catch (const std::exception&) {
    throw std::runtime_error(std::string("profile: bad number in \"") + field + "\"");
  }
}

uint64_t NumberOr(const json& object, const char* field, uint64_t fallback) {
  return object.contains(field) ? Number(object[field], field) : fallback;
}

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

void Place(machine::Machine* m, uint64_t address, const std::vector<uint8_t>& bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    uint8_t* at = m->memory.At(address + i);
    if (!at) throw std::runtime_error("profile: memory contents outside the modelled ranges");
    *at = bytes[i];
  }
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

void LoadFile(const std::string& path, uint8_t* to, size_t size) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("profile: cannot read memory file " + path);
  std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (data.size() != size)
    throw std::runtime_error("profile: memory file " + path + " has the wrong size");
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

DriverPresence ReadPresence(const json& drivers, const char* name) {
  DriverPresence p;
  if (!drivers.contains(name)) return p;
  const json& d = drivers[name];
  if (d.is_boolean()) {
    p.present = d.get<bool>();
  } else {
    p.present = d.value("present", true);
    p.openFailures = static_cast<uint32_t>(NumberOr(d, "openFailures", 0));
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
    setup.addMemCreateFailures = static_cast<uint32_t>(NumberOr(a, "createFailures", 0));
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
    if (d.contains("refuseWrites")) {
      const json& w = d["refuseWrites"];
      m->refuseWrites.port = static_cast<uint16_t>(NumberOr(w, "port", 0));
      m->refuseWrites.after = static_cast<uint32_t>(NumberOr(w, "after", 0));
      m->refuseWrites.count = static_cast<uint32_t>(NumberOr(w, "count", 1));
    }
  }
  if (!profile.contains("hardware")) return;
  const json& h = profile["hardware"];
  if (h.contains("firmwareFile"))
    LoadFile(h["firmwareFile"], m->memory.firmware, sizeof m->memory.firmware);
  if (h.contains("topFile")) LoadFile(h["topFile"], m->memory.top, sizeof m->memory.top);
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
