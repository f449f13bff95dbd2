#include "scenario/scenario.h"

#include "app/update.h"
#include "os/sim/notebook.h"
#include "package/package_bytes.h"

namespace scenario {

using testing_package::Archive;
using testing_package::Gzip;
using testing_package::Package;
using testing_package::Record;

Member Gzipped(const std::string& name, const std::string& content) {
  return {name + ".gz", Gzip(content)};
}

std::vector<Member> ReleaseMembers() {
  return {
      Gzipped("ConResEn.dll", "MZ English library"),
      Gzipped("ConResEn_ami.dll", "MZ English library, AMI logo"),
      Gzipped("ConResGr.dll", "MZ German library"),
      Gzipped("ConResGr_ami.dll", "MZ German library, AMI logo"),
      Gzipped("AddMem.sys", "MZ memory driver"),
      Gzipped("R0123.WPH", std::string(4096, '\xA5')),
      Gzipped("SWinFlash_32.exe", "MZ flash 32"),
      Gzipped("SWinFlash_64.exe", "MZ flash 64"),
      Gzipped("PhlashNT_32.sys", "MZ"),
      Gzipped("PhlashNT_64.sys", "MZ"),
      Gzipped("AFUWIN.exe", "MZ afu"),
      Gzipped("afuwinx64.exe", "MZ afu 64"),
      Gzipped("WinUpV01_10.exe", "MZ micom"),
  };
}

void ScenarioTest::InstallPackage(uint32_t flags, const std::vector<Member>& members) {
  std::vector<std::string> records;
  for (const Member& m : members) records.push_back(Record(m.name, m.data));
  InstallPackageBytes(Package(Archive(flags, records)));
}

void ScenarioTest::InstallPackageBytes(const std::string& bytes) {
  ASSERT_TRUE(files().Put(notebook().profile().modulePath, bytes));
}

uint32_t ScenarioTest::RunUpdate(const std::string& commandLine) {
  std::string text = commandLine;
  try {
    return app::RunUpdate(text.data());
  } catch (const sim::ProcessExit& exit) {
    processEnded_ = true;
    return exit.code;
  }
}

int ScenarioTest::Find(const std::string& text) {
  const auto& lines = transcript().Lines();
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find(text) != std::string::npos) return static_cast<int>(i);
  return -1;
}

std::string ScenarioTest::WorkFile(const std::string& name) {
  std::string content;
  files().Get(std::string(kWork) + name, &content);
  return content;
}

bool ScenarioTest::WorkFileExists(const std::string& name) {
  return files().Exists(std::string(kWork) + name);
}

}  // namespace scenario
