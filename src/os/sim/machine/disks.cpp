#include "os/sim/machine/disks.h"

#include "os/sim/machine/bytes.h"

namespace machine {
namespace {

constexpr uint8_t kIdentifyDevice = 0xEC, kIdentifyPacketDevice = 0xA1;
constexpr uint32_t kIdentifySize = 512;
// SENDCMDOUTPARAMS: cBufferSize, DRIVERSTATUS (12 bytes), then the data.
constexpr uint32_t kDataOffset = 16;

}  // namespace

void Disks::Reset() {
  for (Drive& d : drive) d = Drive{};  // absent; a controller that answers
}

// A controller reports the IDE positions of all its drives: bit i an ATA
// device at drive i, bit 4 + i an ATAPI one.
uint8_t Disks::DeviceMap() const {
  uint8_t map = 0;
  for (uint32_t i = 0; i < 4; ++i) {
    if (drive[i].present) map = static_cast<uint8_t>(map | 1u << (drive[i].atapi ? 4 + i : i));
  }
  return map;
}

// SENDCMDINPARAMS for IDENTIFY, sent as 35 bytes: cBufferSize 512, the
// task-file registers (features 0, sector count 1, sector number 1,
// cylinder 0, drive/head 0xA0 or 0xB0 by the drive's channel position, the
// command), the drive number, and nothing else.
bool Disks::ValidIdentify(uint32_t number, const uint8_t* in, uint32_t inputSize,
                          uint32_t outputSize) const {
  if (inputSize != kIdentifyInputSize || outputSize != kIdentifyOutputSize) return false;
  const uint8_t command = drive[number].atapi ? kIdentifyPacketDevice : kIdentifyDevice;
  const uint8_t driveHead = static_cast<uint8_t>(0xA0 | (number & 1) << 4);
  if (Load32(in) != kIdentifySize || in[4] != 0 || in[5] != 1 || in[6] != 1 || in[7] != 0 ||
      in[8] != 0 || in[9] != driveHead || in[10] != command || in[11] != 0 || in[12] != number)
    return false;
  for (uint32_t i = 13; i < kIdentifyInputSize; ++i) {
    if (in[i] != 0) return false;
  }
  return true;
}

// Word 0: bit 15 with bits 10 and 8 for a packet (ATAPI) device, bit 7
// removable, bit 6 fixed. Word 128: the security bits.
void Disks::FillIdentify(const Drive& d, uint8_t* output) const {
  FillBytes(output, 0, kDataOffset + kIdentifySize);
  Store32(output, kIdentifySize);
  uint8_t* data = output + kDataOffset;
  const uint16_t word0 =
      static_cast<uint16_t>((d.atapi ? 0x8500 : 0) | (d.removable ? 0x0080 : 0x0040));
  Store16(data, word0);
  Store16(data + 2 * 128, d.security);
}

Disks::Answer Disks::Handle(uint32_t number, uint32_t code, uint8_t* buffer, uint32_t inputSize,
                            uint32_t outputSize, uint32_t* information) {
  *information = 0;
  if (number >= kDrives || !drive[number].present) return Answer::kRefused;
  Drive& d = drive[number];
  if (code == kGetVersion) {
    ++d.versionRequests;
    if (d.controller == Controller::kRefusesSmart) return Answer::kNotSupported;
    if (inputSize != 0 || outputSize != kVersionSize) {
      ++d.refused;
      return Answer::kRefused;
    }
    FillBytes(buffer, 0, kVersionSize);
    buffer[0] = 1;  // version
    buffer[1] = 1;  // revision
    if (d.controller == Controller::kAnswers) {
      buffer[3] = DeviceMap();
      buffer[4] = 0x07;  // IDENTIFY, IDENTIFY PACKET and SMART commands
    }
    *information = kVersionSize;
    return Answer::kDone;
  }
  if (code == kReceiveDriveData) {
    ++d.identifyRequests;
    if (d.controller != Controller::kAnswers) return Answer::kNotSupported;
    if (!ValidIdentify(number, buffer, inputSize, outputSize)) {
      ++d.refused;
      return Answer::kRefused;
    }
    CopyBytes(d.lastIdentify, buffer, kIdentifyInputSize);
    FillIdentify(d, buffer);
    *information = kDataOffset + kIdentifySize;
    return Answer::kDone;
  }
  ++d.refused;
  return Answer::kRefused;
}

}  // namespace machine
