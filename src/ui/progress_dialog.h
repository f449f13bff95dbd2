// The progress dialog: a modal dialog on a thread of its own that extracts
// the package while it initialises, then shows task bullets, a status line
// and a spinner until the process ends.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/texts.h"
#include "firmware/tool_launch.h"
#include "os/os.h"

namespace ui {

// What the dialog thread tells the main thread about the extraction. The
// main thread reads ExtractionSucceeded only after the event, which the
// dialog thread signals after writing it.
struct ProgressState {
  std::atomic<int32_t> ExtractionSucceeded{0};
  os::EventRef ExtractionEvent = 0;
};
ProgressState& Progress();
void ResetProgressState();

inline constexpr int kProgressTemplate = core::kProgressDialogTemplate;

// Controls of template 117.
inline constexpr int kIntroText = 1012;
inline constexpr int kUnpackBullet = 1011;
inline constexpr int kUnpackText = 1013;
inline constexpr int kBiosBullet = 1008;
inline constexpr int kBiosText = 1014;
inline constexpr int kMicomBullet = 1009;
inline constexpr int kMicomText = 1015;
inline constexpr int kStatusText = 1010;
inline constexpr int kCurrentVersionLabel = 1016;
inline constexpr int kNewVersionLabel = 1017;

// Private messages (WM_USER + n).
inline constexpr int kWatchToolWindow = 1;
inline constexpr int kStopAnimation = 2;

inline constexpr int kCurrentVersionValue = 1018;
inline constexpr int kNewVersionValue = 1019;

// The spinner's frames, bitmaps of the executable, in display order.
inline constexpr int kSpinnerFrameIds[] = {116, 117, 118, 103, 119, 120, 121, 122};
inline constexpr int kSpinnerFrames = sizeof kSpinnerFrameIds / sizeof kSpinnerFrameIds[0];

inline constexpr int kSpinnerTimer = 32;
inline constexpr uint32_t kSpinnerPeriodMs = 200;
inline constexpr int kWatcherTimer = 16;
inline constexpr uint32_t kWatcherPeriodMs = 500;
inline constexpr const char* kWatchedToolTitle = "Phoenix Secure WinFlash";

// Starts the dialog thread after setting UpdateInProgress and
// ExtractionSucceeded and creating ExtractionEvent; false when the thread
// cannot be created.
bool StartProgressDialog();

// Marks the unpack task in progress with status text 5, then waits for the
// extraction to end. The first updates wait until the dialog exists or the
// extraction has ended, whichever comes first.
void WaitForExtraction();

void SetStatusText(const core::Text<>& text);
void SetTaskBullet(int control, bool done);
// Stops the spinner; the dialog stays open.
void StopAnimation();

// The tools' task marks (firmware::TaskMarks): a started task gets the
// arrow (the MICOM task also status text 8), a finished one the check mark.
void ToolTaskStarted(firmware::ToolTask task);
void ToolTaskDone(firmware::ToolTask task);

}  // namespace ui
