// The seam between the portable core and the operating system.
//
// Everything the updater needs from Windows passes through these small
// interfaces. Two implementations exist: src/os/win32 (the real one, the only
// code that includes <windows.h>) and src/os/sim (a simulated notebook used by
// the native tests and the demo). The interfaces are shaped by what the
// updater asks, not by the Win32 API; byte layouts (driver requests, package
// records) are built in the core so both implementations see the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace os {

// Win32 error numbers that the core reacts to or reports. Both
// implementations use these values.
namespace error {
inline constexpr uint32_t kNone = 0;
inline constexpr uint32_t kFileNotFound = 2;
inline constexpr uint32_t kPathNotFound = 3;
inline constexpr uint32_t kAccessDenied = 5;
inline constexpr uint32_t kInvalidHandle = 6;
inline constexpr uint32_t kInvalidData = 13;
inline constexpr uint32_t kSharingViolation = 32;
inline constexpr uint32_t kNotSupported = 50;
inline constexpr uint32_t kFileExists = 80;
inline constexpr uint32_t kInvalidParameter = 87;
inline constexpr uint32_t kInsufficientBuffer = 122;
inline constexpr uint32_t kBadExeFormat = 193;
inline constexpr uint32_t kDirectoryInvalid = 267;
inline constexpr uint32_t kServiceDoesNotExist = 1060;
inline constexpr uint32_t kServiceMarkedForDelete = 1072;
inline constexpr uint32_t kServiceExists = 1073;
inline constexpr uint32_t kDllInitFailed = 1114;
inline constexpr uint32_t kPrivilegeNotHeld = 1314;
}  // namespace error

// ---------------------------------------------------------------- files

enum class Access { kRead, kWrite, kReadWrite };
enum class Disposition { kOpenExisting, kCreateAlways, kOpenAlways };
enum class Share { kNone, kRead, kReadWrite };

class File {
 public:
  virtual ~File() = default;
  // Reads up to `size` bytes; `*got` receives how many arrived (0 at the end).
  virtual bool Read(void* buffer, uint32_t size, uint32_t* got) = 0;
  virtual bool Write(const void* data, uint32_t size, uint32_t* written) = 0;
  // Absolute position from the start of the file.
  virtual bool SeekTo(int64_t position) = 0;
  virtual bool SeekToEnd() = 0;
  // The file's size in bytes now.
  virtual bool Size(uint64_t* size) = 0;
};
using FileHandle = std::unique_ptr<File>;

// Windows-style paths ("C:\Temp\x.bin", or relative to the current
// directory); names compare without regard to letter case, as on Windows.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Null on failure; `*error` (when given) receives the Win32 error number.
  virtual FileHandle Open(const std::string& path, Access access, Disposition disposition,
                          Share share, uint32_t* error = nullptr) = 0;
  virtual bool Remove(const std::string& path) = 0;
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  virtual bool Copy(const std::string& from, const std::string& to, bool failIfExists) = 0;
  virtual bool MakeDirectory(const std::string& path) = 0;
  virtual bool ChangeDirectory(const std::string& path) = 0;
  // The current directory, without a trailing backslash except at a root.
  virtual std::string CurrentDirectory() = 0;
  // Names of the entries matching a wildcard pattern ("*.*", "*.WPH"), in
  // the order the system yields them; "." and ".." included where the system
  // lists them. False when the pattern's directory cannot be read.
  virtual bool Enumerate(const std::string& pattern, std::vector<std::string>* names) = 0;
  // Free bytes of the volume holding `directory` that the caller may use.
  virtual bool FreeBytesAvailable(const std::string& directory, uint64_t* bytes) = 0;
  // The name under which the C runtime and zlib open this file: an existing
  // file is found without regard to letter case; a new one takes the name.
  virtual std::string HostPath(const std::string& path) = 0;
};

// ------------------------------------------------------- system facts

struct VersionFacts {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platformId = 0;  // 1 = 9x family, 2 = NT family
};

struct PowerStatus {
  uint8_t acLineStatus = 255;    // 0 offline, 1 online, 255 unknown
  uint8_t batteryPercent = 255;  // 0..100, 255 unknown
};

class System {
 public:
  virtual ~System() = default;
  // False when the variable is not set.
  virtual bool GetVariable(const std::string& name, std::string* value) = 0;
  // Full path of the running executable; empty when it cannot be had.
  virtual std::string ModulePath() = 0;
  virtual bool QueryVersionEx(VersionFacts* facts) = 0;  // GetVersionExA
  virtual uint32_t Version() = 0;                        // GetVersion
  // IsWow64Process for this process; false when the function is missing or fails.
  virtual bool QueryWow64(int32_t* isWow64) = 0;
  virtual uint16_t SystemDefaultLanguage() = 0;
  virtual bool QueryPowerStatus(PowerStatus* status) = 0;
  virtual void WriteStandardError(std::string_view text) = 0;
  // Ends the process. The simulated notebook lets tests observe the code.
  [[noreturn]] virtual void ExitProcess(uint32_t code) = 0;

  // The process's priority class (GetPriorityClass values such as 0x20
  // normal, 0x100 real-time); 0 when it cannot be read.
  virtual uint32_t PriorityClass() = 0;
  virtual bool SetPriorityClass(uint32_t priorityClass) = 0;
  // Enables SeShutdownPrivilege in the process token (NT family); without
  // it the system refuses to end the session.
  virtual void EnableShutdownPrivilege() = 0;
  // ExitWindowsEx(flags, 0). False with `*error` set when the system
  // refused. When it accepts, the session ends and this process with it:
  // on Windows shortly afterwards, on the simulated notebook at once.
  virtual bool RequestExitWindows(uint32_t flags, uint32_t* error) = 0;
};

// ---------------------------------------------------------- processes

// How a started program ended, as far as the system can tell. Only kExited
// carries an exit code; the other two carry the system's error number.
struct ProcessOutcome {
  enum class Ending {
    kExited,           // it ran and its exit code was read
    kNotStarted,       // the process could not be created
    kExitCodeUnknown,  // it was started, but its end or exit code could not be read
  };
  Ending ending = Ending::kNotStarted;
  uint32_t exitCode = 0;
  uint32_t error = 0;
};

class Processes {
 public:
  virtual ~Processes() = default;
  // Starts `commandLine` (CreateProcessA without an application name, so
  // the program is found by the command line's first token) in
  // `workingDirectory`, waits for it without limit and tells how it ended.
  virtual ProcessOutcome RunAndWait(const std::string& commandLine,
                                    const std::string& workingDirectory) = 0;
};

// ------------------------------------------------- user interface

using WindowRef = uintptr_t;  // 0 = no window
using ModuleRef = uintptr_t;  // 0 = none
using CursorRef = uintptr_t;  // 0 = no cursor

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // MessageBoxA: the button pressed (1 OK, 2 Cancel), 0 when none could be shown.
  virtual int ShowMessageBox(WindowRef owner, const std::string& text, const std::string& title,
                             uint32_t type) = 0;
  // The executable's own module (its built-in English resources).
  virtual ModuleRef OwnModule() = 0;
  // Copies string `id` of `module` (0 = own module) into `buffer`, NUL
  // terminated and cut to `size`; the length copied, 0 when there is none.
  virtual int LoadText(ModuleRef module, uint32_t id, char* buffer, int size) = 0;
  // SetCursor to the hourglass (IDC_WAIT); gives the cursor it replaced.
  virtual CursorRef ShowWaitCursor() = 0;
  virtual void RestoreCursor(CursorRef previous) = 0;
};

// ------------------------------------------------ threads and time

using EventRef = uintptr_t;

class Threads {
 public:
  virtual ~Threads() = default;
  virtual bool StartThread(void (*procedure)(void*), void* argument) = 0;
  virtual EventRef CreateAutoResetEvent() = 0;
  virtual void SignalEvent(EventRef event) = 0;
  static constexpr uint32_t kInfinite = 0xFFFFFFFF;
  // True when the event was signalled within `milliseconds`.
  virtual bool WaitEvent(EventRef event, uint32_t milliseconds) = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
  // A millisecond clock for bounding waits; wraps after 49 days.
  virtual uint32_t TickMilliseconds() = 0;
};

// ---------------------------------------------------- device handles

using DeviceRef = intptr_t;
inline constexpr DeviceRef kInvalidDevice = -1;

// CreateFileA argument values the core passes through unchanged.
namespace device {
inline constexpr uint32_t kGenericRead = 0x80000000;
inline constexpr uint32_t kGenericWrite = 0x40000000;
inline constexpr uint32_t kShareRead = 0x1;
inline constexpr uint32_t kShareWrite = 0x2;
inline constexpr uint32_t kOpenExisting = 3;
inline constexpr uint32_t kAttributeNormal = 0x80;
inline constexpr uint32_t kDeleteOnClose = 0x04000000;
}  // namespace device

class Devices {
 public:
  virtual ~Devices() = default;
  // CreateFileA on a device name such as "\\.\ADDMEM"; kInvalidDevice on
  // failure with `*error` (when given) the Win32 error number.
  virtual DeviceRef Open(const std::string& name, uint32_t access, uint32_t share,
                         uint32_t disposition, uint32_t flagsAndAttributes,
                         uint32_t* error = nullptr) = 0;
  // DeviceIoControl, synchronous.
  virtual bool Control(DeviceRef device, uint32_t code, const void* input, uint32_t inputSize,
                       void* output, uint32_t outputSize, uint32_t* returned) = 0;
  virtual void Close(DeviceRef device) = 0;
  // Memory for request records that carry a 32-bit address of the caller's
  // memory (KMDFMEMIO, MEMIO.VXD): below 4 GiB in every build. Zero-filled.
  virtual void* AllocateRequest(size_t size) = 0;
  virtual void FreeRequest(void* block) = 0;
};

// ---------------------------------------------------- device manager

// The setup API's list of present devices (every class) and the
// configuration manager's view of each, as far as the updater switches
// devices off and on. A device is named by its index in the list.
using DeviceListRef = uintptr_t;  // 0 = none

namespace device_node {
inline constexpr uint32_t kStarted = 0x8;                 // DN_STARTED
inline constexpr uint32_t kHasProblem = 0x400;            // DN_HAS_PROBLEM
inline constexpr uint32_t kDisableable = 0x2000;          // DN_DISABLEABLE
inline constexpr uint32_t kProblemDisabled = 22;          // CM_PROB_DISABLED: by the user
inline constexpr uint32_t kProblemHardwareDisabled = 29;  // CM_PROB_HARDWARE_DISABLED
}  // namespace device_node

// SP_PROPCHANGE_PARAMS values.
namespace property_change {
inline constexpr uint32_t kEnable = 1;       // DICS_ENABLE
inline constexpr uint32_t kDisable = 2;      // DICS_DISABLE
inline constexpr uint32_t kScopeGlobal = 1;  // DICS_FLAG_GLOBAL
}  // namespace property_change

class DeviceManager {
 public:
  virtual ~DeviceManager() = default;
  // SetupDiGetClassDevsW(no class, no enumerator, no window,
  // DIGCF_PRESENT | DIGCF_ALLCLASSES); 0 when it fails.
  virtual DeviceListRef OpenPresentDevices() = 0;
  // SetupDiEnumDeviceInfo: false when the list has no device `index`.
  virtual bool HasDevice(DeviceListRef list, uint32_t index) = 0;
  // SetupDiGetDeviceRegistryPropertyW(SPDRP_CLASS): the setup class name, a
  // NUL-terminated UTF-16 string, into `buffer` of `size` bytes. False with
  // `*error`: kInsufficientBuffer (`*required` then holds the size needed),
  // kInvalidData (the device has no class name) or any other error.
  virtual bool ReadClassName(DeviceListRef list, uint32_t index, void* buffer, uint32_t size,
                             uint32_t* required, uint32_t* error) = 0;
  // CM_Get_DevNode_Status of the device's node; false unless CR_SUCCESS.
  virtual bool NodeStatus(DeviceListRef list, uint32_t index, uint32_t* status,
                          uint32_t* problem) = 0;
  // SetupDiSetClassInstallParamsW with the SP_PROPCHANGE_PARAMS of
  // DIF_PROPERTYCHANGE carrying these three values.
  virtual bool SetPropertyChange(DeviceListRef list, uint32_t index, uint32_t stateChange,
                                 uint32_t scope, uint32_t hardwareProfile) = 0;
  // SetupDiCallClassInstaller(DIF_PROPERTYCHANGE).
  virtual bool CallPropertyChange(DeviceListRef list, uint32_t index) = 0;
  // SetupDiDestroyDeviceInfoList.
  virtual void ClosePresentDevices(DeviceListRef list) = 0;
};

// ------------------------------------------- service control manager

using ServiceRef = uintptr_t;  // 0 = none

class ServiceManager {
 public:
  virtual ~ServiceManager() = default;
  // OpenSCManagerA(local, active database, SC_MANAGER_ALL_ACCESS).
  virtual ServiceRef OpenManager() = 0;
  // CreateServiceA for a demand-start kernel driver with normal error control.
  virtual ServiceRef CreateKernelDriver(ServiceRef manager, const std::string& name,
                                        const std::string& displayName,
                                        const std::string& binaryPath) = 0;
  virtual ServiceRef OpenExisting(ServiceRef manager, const std::string& name) = 0;
  virtual bool Start(ServiceRef service) = 0;
  virtual bool Stop(ServiceRef service) = 0;
  virtual bool Delete(ServiceRef service) = 0;
  virtual void Close(ServiceRef handle) = 0;
  // Win32 error number of the last failed call on this thread.
  virtual uint32_t LastError() = 0;
};

// ----------------------------------------------------------- dialogs

// What a modal dialog tells the core. Called on the dialog's own thread.
class DialogEvents {
 public:
  virtual ~DialogEvents() = default;
  virtual void OnInit(WindowRef dialog) = 0;                    // WM_INITDIALOG
  virtual void OnCommand(WindowRef dialog, int commandId) = 0;  // WM_COMMAND (IDCANCEL = 2)
  virtual void OnTimer(WindowRef dialog, int timerId) = 0;      // WM_TIMER
  virtual void OnPrivate(WindowRef dialog, int message, uintptr_t wParam) = 0;  // WM_USER + n
  virtual void OnDestroy(WindowRef dialog) = 0;                                 // WM_DESTROY
};

enum class Bullet { kInProgress, kDone };  // OBM_RGARROWD, OBM_CHECK

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // DialogBoxParamA: runs the dialog until it ends; -1 when it cannot be created.
  virtual intptr_t RunModal(ModuleRef module, int templateId, WindowRef owner,
                            DialogEvents* events) = 0;
  virtual void End(WindowRef dialog, intptr_t result) = 0;
  // Shows the window minimised and then normal, so it comes to the front.
  virtual void Present(WindowRef dialog) = 0;
  virtual void SetItemText(WindowRef dialog, int control, const std::string& text) = 0;
  virtual std::string GetItemText(WindowRef dialog, int control, int maxLength) = 0;
  virtual void SetItemBullet(WindowRef dialog, int control, Bullet bullet) = 0;
  // Sends WM_USER + `message` and waits until the dialog's thread handled it.
  virtual void SendPrivate(WindowRef dialog, int message, uintptr_t wParam) = 0;
  virtual bool StartTimer(WindowRef dialog, int timerId, uint32_t milliseconds) = 0;
  virtual void StopTimer(WindowRef dialog, int timerId) = 0;
  // The spinner: loads frame bitmaps of the executable, draws one with pure
  // blue transparent at (right - 37, top + 4) of the dialog, releases them.
  virtual bool LoadSpinnerFrames(const int* resourceIds, int count) = 0;
  virtual void DrawSpinnerFrame(WindowRef dialog, int index) = 0;
  virtual void ReleaseSpinnerFrames() = 0;
  // A top-level window with this exact title, 0 when none.
  virtual WindowRef FindTopLevelWindow(const std::string& title) = 0;
  virtual std::string GetWindowTitle(WindowRef window, int maxLength) = 0;
  virtual void CloseWindow(WindowRef window) = 0;  // sends WM_CLOSE
  // PostQuitMessage(0) to the calling thread's message queue.
  virtual void PostQuit() = 0;
};

// Language resource libraries.
class Libraries {
 public:
  virtual ~Libraries() = default;
  // Loads a resource-only library from its full path as a data file (none
  // of its code runs); 0 on failure.
  virtual ModuleRef LoadResourceLibrary(const std::string& fullPath) = 0;
  // Restricts the process's library search to the system directory where
  // the system offers that; nothing on systems that do not.
  virtual void RestrictLibrarySearch() = 0;
};

// ------------------------------------------------------ the platform

struct Platform {
  FileSystem* files = nullptr;
  System* system = nullptr;
  Processes* processes = nullptr;
  UserInterface* ui = nullptr;
  Threads* threads = nullptr;
  Devices* devices = nullptr;
  ServiceManager* services = nullptr;
  Dialogs* dialogs = nullptr;
  Libraries* libraries = nullptr;
  DeviceManager* deviceManager = nullptr;
};

// The platform the core runs on; installed once by the entry point (or a test).
Platform& Os();
void InstallPlatform(const Platform& platform);

}  // namespace os
