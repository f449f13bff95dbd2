// What the firmware subsystem learns during a run: the installed firmware's
// identity, the image and MICOM files found, what the new image says about
// itself, the embedded controller's vendor. One instance; tests start afresh
// with ResetFirmwareState().
#pragma once

#include <cstdint>

namespace firmware {

// Each field holds at most 31 characters and its NUL.
inline constexpr int kIdentityFieldSize = 32;
inline constexpr int kFileListEntries = 10;
// A name of at most 255 characters and its NUL.
inline constexpr int kFileNameSize = 256;

using IdentityField = char[kIdentityFieldSize];
using FileList = char[kFileListEntries][kFileNameSize];

struct FirmwareIdentity {
  IdentityField BiosPartVersion = {};  // "DiaG@" block
  IdentityField BiosModelNumber = {};  // software-SMI query or "DiaG@" block
  IdentityField BiosPartNumber = {};   // "DEVEL" block
  IdentityField PurchaseDate = {};     // SMBIOS OEM strings, second string
  IdentityField SystemSerial = {};     // SMBIOS system information, fourth string
  IdentityField BiosFlag = {};         // SMBIOS OEM strings, first string
};

struct FirmwareState {
  // The controller identified itself with the vendor letter 'M'.
  uint8_t ControllerVendorM = 0;
  FirmwareIdentity CurrentFirmwareIdentity;
  // "*.wph" and "*.bin" files of the work directory, in enumeration order;
  // the entries behind the count are empty.
  FileList ImageFileList = {};
  uint8_t ImageFileCount = 0;
  FileList MicomFileList = {};
  uint8_t MicomFileCount = 0;
  // What "newSys.bin" says about the image the flash tool refused.
  IdentityField NewModelNumber = {};
  IdentityField NewPartNumber = {};
  // The one flash-area entry a DMI-only run keeps.
  uint8_t KeptAreaIndex = 0;
};

FirmwareState& Firmware();
void ResetFirmwareState();

}  // namespace firmware
