#include "os/sim/machine/keyboard_controller.h"

namespace machine {
namespace {
constexpr uint8_t kStatusBase = 0x14;  // system flag, keyboard not inhibited
constexpr uint8_t kAck = 0xFA;
}  // namespace

void KeyboardController::Reset() {
  behaviour = Behaviour{};
  commandByte = 0x47;  // both interrupts on, translation on, both ports enabled
  held = autoOnArmed = false;
  holds = releases = ecReads = ecWrites = autoOnCommands = violations = 0;
  FillBytes(ecRam, 0, sizeof ecRam);
  outHead_ = outCount_ = 0;
  inputPending_ = false;
  expect_ = Expect::kNothing;
}

void KeyboardController::QueueOutput(uint8_t value, bool aux, uint64_t readyAt) {
  if (outCount_ == kQueueSize) return;  // the real part has one byte; more is lost
  out_[(outHead_ + outCount_) % kQueueSize] = Output{value, aux, readyAt};
  ++outCount_;
}

void KeyboardController::Settle(uint64_t now) {
  if (inputPending_ && now >= inputTakenAt_) {
    inputPending_ = false;
    if (inputIsCommand_)
      Command(inputValue_, now);
    else
      Data(inputValue_, now);
  }
}

uint8_t KeyboardController::ReadStatus(uint64_t now) {
  if (behaviour.mode == Behaviour::kDead) return 0xFF;
  Settle(now);
  uint8_t status = kStatusBase;
  if (inputPending_) status |= kInputFull;
  if (outCount_ && now >= out_[outHead_].readyAt) {
    status |= kOutputFull;
    if (out_[outHead_].aux) status |= kAuxData;
  }
  return status;
}

uint8_t KeyboardController::ReadData(uint64_t now) {
  if (behaviour.mode == Behaviour::kDead) return 0xFF;
  Settle(now);
  if (!outCount_ || now < out_[outHead_].readyAt) return 0;  // a stale latch
  const uint8_t value = out_[outHead_].value;
  outHead_ = (outHead_ + 1) % kQueueSize;
  --outCount_;
  return value;
}

void KeyboardController::WriteCommand(uint8_t value, uint64_t now) {
  Accept(value, true, now);
}
void KeyboardController::WriteData(uint8_t value, uint64_t now) {
  Accept(value, false, now);
}

void KeyboardController::Accept(uint8_t value, bool isCommand, uint64_t now) {
  if (behaviour.mode == Behaviour::kDead) return;
  Settle(now);
  if (inputPending_) {
    ++violations;
    return;
  }
  inputPending_ = true;
  inputIsCommand_ = isCommand;
  inputValue_ = value;
  inputTakenAt_ = behaviour.DoneAt(now);
  Settle(now);
}

void KeyboardController::Release() {
  held = false;
  ++releases;
}

void KeyboardController::Command(uint8_t value, uint64_t now) {
  expect_ = Expect::kNothing;
  switch (value) {
    case 0x20:
      QueueOutput(commandByte, false, behaviour.DoneAt(now));
      break;
    case 0x60:
      expect_ = Expect::kCommandByte;
      break;
    case 0xA7:
      commandByte |= 0x20;
      break;
    case 0xA8:
      commandByte &= static_cast<uint8_t>(~0x20);
      break;
    case 0xAD:
      commandByte |= 0x10;
      break;
    case 0xAE:
      commandByte &= static_cast<uint8_t>(~0x10);
      break;
    case 0xD4:
      expect_ = Expect::kAuxWrite;
      break;
    case 0xB1:
      held = true;
      ++holds;
      break;
    case 0xB2:
      Release();
      break;
    case 0xB3:
      expect_ = Expect::kGiveBackKeyboard;
      break;
    case 0xB4:
      expect_ = Expect::kGiveBackAux;
      break;
    case 0xBE:
      if (!held) ++violations;
      expect_ = Expect::kEcCommand;
      break;
    default:
      break;  // commands of no interest to the updater
  }
}

void KeyboardController::Data(uint8_t value, uint64_t now) {
  const Expect expect = expect_;
  expect_ = Expect::kNothing;
  switch (expect) {
    case Expect::kCommandByte:
      commandByte = value;
      break;
    case Expect::kAuxWrite:
      QueueOutput(kAck, true, behaviour.DoneAt(now));
      break;
    case Expect::kGiveBackKeyboard:
    case Expect::kGiveBackAux:
      QueueOutput(value, expect == Expect::kGiveBackAux, now);
      Release();
      break;
    case Expect::kEcCommand:
      if (value == 0x80)
        expect_ = Expect::kReadHigh;
      else if (value == 0x81)
        expect_ = Expect::kWriteHigh;
      else if (value == 0xDC) {
        autoOnArmed = true;
        ++autoOnCommands;
      }
      break;
    case Expect::kReadHigh:
      address_ = static_cast<uint16_t>(value << 8);
      expect_ = Expect::kReadLow;
      break;
    case Expect::kReadLow:
      address_ = static_cast<uint16_t>(address_ | value);
      QueueOutput(ecRam[address_], false, behaviour.DoneAt(now));
      ++ecReads;
      break;
    case Expect::kWriteHigh:
      address_ = static_cast<uint16_t>(value << 8);
      expect_ = Expect::kWriteLow;
      break;
    case Expect::kWriteLow:
      address_ = static_cast<uint16_t>(address_ | value);
      expect_ = Expect::kWriteValue;
      break;
    case Expect::kWriteValue:
      ecRam[address_] = value;
      ++ecWrites;
      break;
    case Expect::kNothing:
      QueueOutput(kAck, false, behaviour.DoneAt(now));
      break;  // to the keyboard
  }
}

}  // namespace machine
