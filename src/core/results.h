// Result codes of the update steps and the one reporter of run-ending results.
#pragma once

#include <cstdint>

namespace core {

using ResultCode = uint32_t;

inline constexpr ResultCode ResultSuccess = 0;
inline constexpr ResultCode ResultDiskSpace = 0x80000001;
inline constexpr ResultCode ResultInitFailed = 0x80000002;
inline constexpr ResultCode ResultUnpackFailed = 0x80000003;
inline constexpr ResultCode ResultHddPassword = 0x80000004;
inline constexpr ResultCode ResultDriverLoad = 0x80000005;
inline constexpr ResultCode ResultModelMismatch = 0x80000007;
inline constexpr ResultCode ResultToolModelMismatch = 0x80000008;
inline constexpr ResultCode ResultMicomFailed = 0x8000000A;
inline constexpr ResultCode ResultBiosFile = 0x8000000B;
inline constexpr ResultCode ResultMicomFile = 0x8000000C;
inline constexpr ResultCode ResultSmiEnable = 0x8000000D;
inline constexpr ResultCode ResultInvalidOption = 0x8000000E;
inline constexpr ResultCode ResultDirectory = 0x8000000F;
inline constexpr ResultCode ResultNoAcAdapter = 0x80000010;
inline constexpr ResultCode ResultBatteryLow = 0x80000011;
inline constexpr ResultCode ResultNoPowerSource = 0x80000012;
inline constexpr ResultCode ResultBiosDate = 0x80000013;

// The clean-up actions of ReportResult belong to other subsystems; each
// registers its own. An action that is not registered is skipped.
struct CleanupHooks {
  void (*stopAnimation)() = nullptr;        // progress dialog: message 1026
  void (*resumeInputDevices)() = nullptr;   // only what this run suspended
  void (*removeStagedTools)() = nullptr;    // staged flash-tool files
  void (*deleteLeftoverFiles)() = nullptr;  // image, MICOM and runtime files
};
CleanupHooks& Cleanup();

// The four strings of text 21 (installed and new model and part number).
struct ModelMismatchText {
  const char* currentModel = "";
  const char* currentPart = "";
  const char* newModel = "";
  const char* newPart = "";
};
ModelMismatchText& ModelMismatch();

// Clears UpdateInProgress, cleans up what the code calls for, shows its
// message and returns the code unchanged.
ResultCode ReportResult(ResultCode code);

}  // namespace core
