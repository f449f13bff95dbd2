// The device manager: the setup API's device list and the configuration
// manager's node status. Windows 9x has no wide-character setup API and
// Windows 95 no setupapi.dll at all, so every function is looked up at run
// time in the system directory's setupapi.dll (which carries the
// configuration manager's CM_ functions as well): where it is missing, no
// device list opens and nothing is switched.
#include <windows.h>

#include <setupapi.h>

#include <cfgmgr32.h>

#include <string>

#include "os/win32/win32_parts.h"

namespace win32 {
namespace {

static_assert(sizeof(SP_DEVINFO_DATA) == 28, "the 32-bit device record");
static_assert(sizeof(SP_PROPCHANGE_PARAMS) == 20 && sizeof(SP_CLASSINSTALL_HEADER) == 8,
              "the property-change parameters the class installer expects");

struct SetupApi {
  decltype(&SetupDiGetClassDevsW) getClassDevs = nullptr;
  decltype(&SetupDiEnumDeviceInfo) enumDeviceInfo = nullptr;
  decltype(&SetupDiGetDeviceRegistryPropertyW) getRegistryProperty = nullptr;
  decltype(&SetupDiSetClassInstallParamsW) setClassInstallParams = nullptr;
  decltype(&SetupDiCallClassInstaller) callClassInstaller = nullptr;
  decltype(&SetupDiDestroyDeviceInfoList) destroyList = nullptr;
  decltype(&CM_Get_DevNode_Status) getNodeStatus = nullptr;

  bool Complete() const {
    return getClassDevs && enumDeviceInfo && getRegistryProperty && setClassInstallParams &&
           callClassInstaller && destroyList && getNodeStatus;
  }
};

template <typename Function>
void LookUp(HMODULE module, const char* name, Function* function) {
  // Through the generic function pointer type, which GCC accepts as a
  // conversion between unrelated function types.
  *function =
      reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Loaded once, from the system directory only (never from beside the
// package, where a planted copy could lie); kept for the process's life.
const SetupApi& Api() {
  static const SetupApi api = [] {
    SetupApi found;
    char directory[MAX_PATH];
    const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return found;
    const HMODULE module = LoadLibraryA((std::string(directory) + "\\setupapi.dll").c_str());
    if (!module) return found;
    LookUp(module, "SetupDiGetClassDevsW", &found.getClassDevs);
    LookUp(module, "SetupDiEnumDeviceInfo", &found.enumDeviceInfo);
    LookUp(module, "SetupDiGetDeviceRegistryPropertyW", &found.getRegistryProperty);
    LookUp(module, "SetupDiSetClassInstallParamsW", &found.setClassInstallParams);
    LookUp(module, "SetupDiCallClassInstaller", &found.callClassInstaller);
    LookUp(module, "SetupDiDestroyDeviceInfoList", &found.destroyList);
    LookUp(module, "CM_Get_DevNode_Status", &found.getNodeStatus);
    return found;
  }();
  return api;
}

HDEVINFO AsList(os::DeviceListRef list) {
  return reinterpret_cast<HDEVINFO>(list);
}

class Win32DeviceManager : public os::DeviceManager {
 public:
  os::DeviceListRef OpenPresentDevices() override {
    const SetupApi& api = Api();
    if (!api.Complete()) return 0;
    const HDEVINFO list =
        api.getClassDevs(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    return list == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<os::DeviceListRef>(list);
  }

  bool HasDevice(os::DeviceListRef list, uint32_t index) override {
    SP_DEVINFO_DATA device;
    return Device(list, index, &device);
  }

  bool ReadClassName(os::DeviceListRef list, uint32_t index, void* buffer, uint32_t size,
                     uint32_t* required, uint32_t* error) override {
    SP_DEVINFO_DATA device;
    if (!Device(list, index, &device)) {
      *error = GetLastError();
      return false;
    }
    DWORD needed = 0;
    const BOOL read = Api().getRegistryProperty(AsList(list), &device, SPDRP_CLASS, nullptr,
                                                static_cast<BYTE*>(buffer), size, &needed);
    *error = read ? ERROR_SUCCESS : GetLastError();
    *required = needed;
    return read != FALSE;
  }

  bool NodeStatus(os::DeviceListRef list, uint32_t index, uint32_t* status,
                  uint32_t* problem) override {
    SP_DEVINFO_DATA device;
    ULONG nodeStatus = 0, nodeProblem = 0;
    if (!Device(list, index, &device) ||
        Api().getNodeStatus(&nodeStatus, &nodeProblem, device.DevInst, 0) != CR_SUCCESS)
      return false;
    *status = nodeStatus;
    *problem = nodeProblem;
    return true;
  }

  bool SetPropertyChange(os::DeviceListRef list, uint32_t index, uint32_t stateChange,
                         uint32_t scope, uint32_t hardwareProfile) override {
    SP_DEVINFO_DATA device;
    if (!Device(list, index, &device)) return false;
    SP_PROPCHANGE_PARAMS change = {};
    change.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    change.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    change.StateChange = stateChange;
    change.Scope = scope;
    change.HwProfile = hardwareProfile;
    return Api().setClassInstallParams(AsList(list), &device, &change.ClassInstallHeader,
                                       sizeof change) != FALSE;
  }

  bool CallPropertyChange(os::DeviceListRef list, uint32_t index) override {
    SP_DEVINFO_DATA device;
    return Device(list, index, &device) &&
           Api().callClassInstaller(DIF_PROPERTYCHANGE, AsList(list), &device) != FALSE;
  }

  void ClosePresentDevices(os::DeviceListRef list) override {
    if (list) Api().destroyList(AsList(list));
  }

 private:
  // The device record of member `index`: SetupDiEnumDeviceInfo.
  static bool Device(os::DeviceListRef list, uint32_t index, SP_DEVINFO_DATA* device) {
    device->cbSize = sizeof *device;
    return list && Api().enumDeviceInfo(AsList(list), index, device) != FALSE;
  }
};

}  // namespace

os::DeviceManager& DeviceManager() {
  static Win32DeviceManager manager;
  return manager;
}

}  // namespace win32
