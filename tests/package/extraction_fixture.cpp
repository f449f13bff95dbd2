#include "package/extraction_fixture.h"

#include "app/sequence_state.h"
#include "core/shared_state.h"
#include "package/extract.h"

namespace testing_package {

ExtractionTest::ExtractionTest() : notebook_(sim::Profile{}, scratch_.path() + "/disk") {
  notebook_.Install();
  app::ResetRunState();
  notebook_.files().MakeDirectories("C:\\Work");
  notebook_.files().ChangeDirectory("C:\\Work");
}

void ExtractionTest::PutPackage(const std::string& content) {
  ASSERT_TRUE(notebook_.files().Put(notebook_.profile().modulePath, content));
}

package::ArchiveResult ExtractionTest::ExtractAll(std::optional<uint32_t>* exitCode) {
  const std::string path = notebook_.profile().modulePath;
  uint32_t offset = 0;
  EXPECT_EQ(package::ReadArchiveOffset(path, &offset), package::ArchiveSuccess);
  try {
    return package::ExtractAllMembers(path, offset);
  } catch (const sim::ProcessExit& exit) {
    if (exitCode)
      *exitCode = exit.code;
    else
      ADD_FAILURE() << "the extraction ended the process with status " << exit.code;
    return -1;
  }
}

bool ExtractionTest::ExtractOne(const char* name, std::optional<uint32_t>* exitCode) {
  try {
    return package::ExtractSingleMember(name);
  } catch (const sim::ProcessExit& exit) {
    if (exitCode)
      *exitCode = exit.code;
    else
      ADD_FAILURE() << "the extraction ended the process with status " << exit.code;
    return false;
  }
}

std::vector<std::string> ExtractionTest::Files() {
  std::vector<std::string> names;
  notebook_.files().Enumerate("*.*", &names);
  std::vector<std::string> files;
  for (const std::string& name : names)
    if (name != "." && name != "..") files.push_back(name);
  return files;
}

std::string ExtractionTest::Content(const std::string& name) {
  std::string content;
  EXPECT_TRUE(notebook_.files().Get(name, &content)) << name;
  return content;
}

}  // namespace testing_package
