// The notebook's physical drives as the disk stack's SMART interface shows
// them: SMART_GET_VERSION and SMART_RCV_DRIVE_DATA with IDENTIFY DEVICE or
// IDENTIFY PACKET DEVICE, answered from each drive's kind, removability and
// ATA security state. A request that is not exactly the record the updater
// must send, in its exact size, is refused, so a wrong byte shows as a
// failed request (Windows itself takes larger output buffers).
#pragma once

#include <stdint.h>

namespace machine {

class Disks {
 public:
  static constexpr uint32_t kDrives = 8;  // more than the updater may examine
  static constexpr uint32_t kGetVersion = 0x74080, kReceiveDriveData = 0x7C088;
  static constexpr uint32_t kVersionSize = 24;
  static constexpr uint32_t kIdentifyInputSize = 35, kIdentifyOutputSize = 531;
  // IDENTIFY word 128 bits 0 and 1.
  static constexpr uint8_t kSecuritySupported = 0x01, kSecurityEnabled = 0x02;

  enum class Controller : uint8_t {
    kAnswers,        // handles SMART and IDE commands
    kRefusesSmart,   // SMART_GET_VERSION fails (error 50)
    kNoIdeCommands,  // answers SMART_GET_VERSION with an empty device map
  };
  enum class Answer : uint8_t { kDone, kNotSupported, kRefused };

  struct Drive {
    bool present;
    bool atapi;
    bool removable;
    uint8_t security;  // word 128: kSecuritySupported, kSecurityEnabled
    Controller controller;
    // What the drive was asked: every SMART_GET_VERSION and IDENTIFY
    // request, those refused as malformed, and the last IDENTIFY record
    // honoured.
    uint32_t versionRequests, identifyRequests, refused;
    uint8_t lastIdentify[kIdentifyInputSize];
  };

  void Reset();
  // One request on drive `number`'s handle, in a METHOD_BUFFERED system
  // buffer of at least the larger of both sizes; `*information` gets the
  // output bytes.
  Answer Handle(uint32_t number, uint32_t code, uint8_t* buffer, uint32_t inputSize,
                uint32_t outputSize, uint32_t* information);

  Drive drive[kDrives];

 private:
  uint8_t DeviceMap() const;
  bool ValidIdentify(uint32_t number, const uint8_t* input, uint32_t inputSize,
                     uint32_t outputSize) const;
  void FillIdentify(const Drive& d, uint8_t* output) const;
};

}  // namespace machine
