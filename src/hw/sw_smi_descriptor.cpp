#include "hw/sw_smi_descriptor.h"

namespace hw {
namespace {
uint16_t Word(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
}  // namespace

SwSmiDescriptor SwSmiDescriptor::Parse(const uint8_t* record) {
  SwSmiDescriptor d;
  d.smiPort = Word(record + 6);
  d.triggerValue = record[8];
  d.openValue = record[9];
  d.closeValue = record[10];
  d.mailboxOffset = Word(record + 11);
  d.mailboxSegment = Word(record + 13);
  d.level = record[15];
  return d;
}

}  // namespace hw
