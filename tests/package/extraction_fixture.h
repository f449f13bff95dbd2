// A simulated notebook with the package at the executable's path and the
// work folder C:\Work as the current directory.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "os/sim/notebook.h"
#include "package/archive.h"
#include "package/package_bytes.h"

namespace testing_package {

class ExtractionTest : public ::testing::Test {
 protected:
  ExtractionTest();

  // Places `content` at the profile's module path.
  void PutPackage(const std::string& content);

  // ReadArchiveOffset and ExtractAllMembers on the module path, as the
  // progress dialog runs them. `exitCode` receives the status when the
  // extraction ended the process instead of returning.
  package::ArchiveResult ExtractAll(std::optional<uint32_t>* exitCode = nullptr);
  // ExtractSingleMember; `exitCode` as above.
  bool ExtractOne(const char* name, std::optional<uint32_t>* exitCode = nullptr);

  // Names in the current directory, in the order listed.
  std::vector<std::string> Files();
  std::string Content(const std::string& name);
  std::vector<std::string> StandardError() { return notebook_.transcript().Of("stderr"); }

  ScratchFolder scratch_;
  sim::Notebook notebook_;
};

}  // namespace testing_package
