// PCI configuration, CMOS and the chipset's SMI enable.
#pragma once

#include <cstdint>

#include "core/results.h"

namespace hw {

// Configuration mechanism #1. The register number is not masked: callers
// pass a multiple of 4.
uint32_t ReadPciConfig32(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg);
// False when the driver dropped a byte; the value is not written when the
// index was not.
bool WriteCmos(uint8_t index, uint8_t value);      // ports 0x70/0x71
bool WriteCmosHigh(uint8_t index, uint8_t value);  // ports 0x72/0x73

// The power-management I/O base of the LPC bridge (bus 0, device 31,
// function 0, register 0x40). False when there is no such device.
bool GetPmIoBase(uint32_t* base);

// Makes sure the global SMI enable (bit 0 at the PM base + 0x30) is set,
// touching nothing else. Opens and closes the driver itself. 0,
// ResultDriverLoad or ResultSmiEnable.
core::ResultCode EnableGlobalSmi();

}  // namespace hw
