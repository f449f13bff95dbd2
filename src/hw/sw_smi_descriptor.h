// The firmware's "SwSmi@" record: 17 bytes in the BIOS area that say how to
// reach its software-SMI interface.
#pragma once

#include <cstdint>

namespace hw {

struct SwSmiDescriptor {
  static constexpr uint32_t kSize = 17;
  static constexpr uint8_t kUsableLevel = 0x24;

  uint16_t smiPort = 0;
  uint8_t triggerValue = 0;  // written after the mailbox is filled
  uint8_t openValue = 0;     // written before
  uint8_t closeValue = 0;    // written after the reply arrived
  uint16_t mailboxOffset = 0;
  uint16_t mailboxSegment = 0;
  uint8_t level = 0;

  uint32_t MailboxAddress() const { return uint32_t{mailboxSegment} * 16 + mailboxOffset; }
  // Reads the fields of a record that starts with the signature.
  static SwSmiDescriptor Parse(const uint8_t* record);
};

}  // namespace hw
