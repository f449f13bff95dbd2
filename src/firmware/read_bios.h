// Read-BIOS mode: the firmware as mapped below 4 GiB, saved to a file.
#pragma once

#include <cstdint>

namespace firmware {

inline constexpr uint32_t kFirmwareTop = 0xFFF00000;  // the top megabyte, 0xFFF00000 to 0xFFFFFFFF
inline constexpr uint32_t kFirmwareTopSize = 0x100000;
inline constexpr uint32_t kReadBiosChunk = 4096;

// Writes the top megabyte of physical memory into `fileName` (opened or
// created without truncation, so a longer existing file keeps its tail),
// 4 KiB at a time. Nothing is reported to the caller: a file that cannot
// be opened is logged and left alone; a read or write that fails is
// logged and the file is removed, so that no file holds stale or missing
// bytes as if they were the firmware. A driver that cannot be opened
// leaves no file.
void ReadBiosToFile(const char* fileName);

}  // namespace firmware
