// A simulated notebook built from one of the documented machine profiles,
// with the hardware layer's state fresh for each test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "os/sim/host_files.h"
#include "os/sim/notebook.h"
#include "os/sim/sim_devices.h"

namespace hwtest {

// The profile file profiles/<name>, changed by `edit` before use.
sim::Profile LoadProfile(const std::string& name,
                         const std::function<void(nlohmann::json&)>& edit = {});

// (port, value) of the port writes the machine saw, in order, for ports in
// `ports` (as far as the request log reaches back).
std::vector<std::pair<uint16_t, uint8_t>> PortWrites(const machine::Machine& m,
                                                     std::initializer_list<uint16_t> ports);

class HwTest : public ::testing::Test {
 protected:
  void TearDown() override;
  // Builds and installs the notebook; the current directory is %TEMP%
  // (or "C:\\" when it is unset).
  void Boot(const std::string& profileName, const std::function<void(nlohmann::json&)>& edit = {});
  sim::Notebook& notebook() { return *notebook_; }
  machine::Machine& hardware() { return notebook_->devices().Machine(); }
  std::string Log();  // DebugLog.txt of the current directory
  // Lines of the log equal to `line`.
  int LogCount(const std::string& line);
  uint32_t Requests() const;  // every request honoured so far

 private:
  void Shutdown();
  std::unique_ptr<sim::ScratchFolder> scratch_;
  std::unique_ptr<sim::Notebook> notebook_;
};

}  // namespace hwtest
