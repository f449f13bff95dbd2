// The 8042 keyboard controller at ports 0x60 (data) and 0x64 (command and
// status), with the embedded controller behind it: commands 0xB1 to 0xB4
// hold and release the controller's own traffic, 0xBE prefixes a relayed
// EC RAM read (0x80) or write (0x81) or the auto-on command (0xDC).
#pragma once

#include <stdint.h>

#include "os/sim/machine/bytes.h"

namespace machine {

class KeyboardController {
 public:
  static constexpr uint8_t kOutputFull = 0x01, kInputFull = 0x02, kAuxData = 0x20;

  void Reset();
  uint8_t ReadStatus(uint64_t now);
  uint8_t ReadData(uint64_t now);
  void WriteCommand(uint8_t value, uint64_t now);
  void WriteData(uint8_t value, uint64_t now);
  // A byte waiting for the host, as if the keyboard or mouse had sent it.
  void QueueOutput(uint8_t value, bool aux, uint64_t readyAt);
  uint32_t OutputCount() const { return outCount_; }

  Behaviour behaviour;
  uint8_t commandByte = 0;
  bool held = false;
  bool autoOnArmed = false;
  uint32_t holds = 0, releases = 0, ecReads = 0, ecWrites = 0, autoOnCommands = 0;
  // Protocol faults of the host: a byte written while the input buffer was
  // full (lost, as on the real part), or an EC command while not held.
  uint32_t violations = 0;
  uint8_t ecRam[0x10000];

 private:
  enum class Expect : uint8_t {
    kNothing,
    kCommandByte,
    kAuxWrite,
    kGiveBackKeyboard,
    kGiveBackAux,
    kEcCommand,
    kReadHigh,
    kReadLow,
    kWriteHigh,
    kWriteLow,
    kWriteValue
  };
  void Settle(uint64_t now);
  void Accept(uint8_t value, bool isCommand, uint64_t now);
  void Command(uint8_t value, uint64_t now);
  void Data(uint8_t value, uint64_t now);
  void Release();

  struct Output {
    uint8_t value;
    bool aux;
    uint64_t readyAt;
  };
  static constexpr uint32_t kQueueSize = 16;
  Output out_[kQueueSize];
  uint32_t outHead_ = 0, outCount_ = 0;
  bool inputPending_ = false, inputIsCommand_ = false;
  uint8_t inputValue_ = 0;
  uint64_t inputTakenAt_ = 0;
  Expect expect_ = Expect::kNothing;
  uint16_t address_ = 0;
};

}  // namespace machine
