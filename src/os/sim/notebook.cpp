#include "os/sim/notebook.h"

#include "os/sim/sim_device_manager.h"
#include "os/sim/sim_devices.h"
#include "os/sim/sim_dialogs.h"
#include "os/sim/sim_libraries.h"
#include "os/sim/sim_processes.h"
#include "os/sim/sim_services.h"
#include "os/sim/sim_system.h"
#include "os/sim/sim_threads.h"
#include "os/sim/sim_ui.h"

namespace sim {

Notebook::Notebook(Profile profile, const std::string& scratch)
    : profile_(std::move(profile)),
      files_(std::make_unique<SimFileSystem>(scratch)),
      system_(std::make_unique<SimSystem>(&profile_, &transcript_)),
      ui_(std::make_unique<SimUi>(&profile_, &transcript_, this)),
      threads_(std::make_unique<SimThreads>(&profile_, &transcript_, &clock_)),
      services_(std::make_unique<SimServices>(&transcript_, files_.get())),
      dialogs_(std::make_unique<SimDialogs>(&profile_, &transcript_)),
      libraries_(std::make_unique<SimLibraries>(&transcript_, files_.get())),
      deviceManager_(std::make_unique<SimDeviceManager>(profile_, &transcript_)) {
  // The devices need the service manager (ADDMEM runs as a service).
  devices_ = std::make_unique<SimDevices>(profile_, &transcript_, &clock_, services_.get());
  // The outside utilities show windows that the dialogs see.
  processes_ =
      std::make_unique<SimProcesses>(&profile_, &transcript_, files_.get(), dialogs_.get());
  files_->SetFreeBytes(profile_.freeBytes, profile_.freeSpaceQueryFails);
  if (profile_.temp && !profile_.temp->empty()) files_->MakeDirectories(*profile_.temp);
  files_->MakeDirectories(profile_.startDirectory);
  files_->ChangeDirectory(profile_.startDirectory);
}

Notebook::~Notebook() = default;

os::Platform Notebook::Platform() {
  os::Platform p;
  p.files = files_.get();
  p.system = system_.get();
  p.processes = processes_.get();
  p.ui = ui_.get();
  p.threads = threads_.get();
  p.devices = devices_.get();
  p.services = services_.get();
  p.dialogs = dialogs_.get();
  p.libraries = libraries_.get();
  p.deviceManager = deviceManager_.get();
  return p;
}

void Notebook::Install() {
  os::InstallPlatform(Platform());
}

}  // namespace sim
