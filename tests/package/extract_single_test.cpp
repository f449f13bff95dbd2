// Single-member extraction and the header probe.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/shared_state.h"
#include "package/extract.h"
#include "package/extraction_fixture.h"

namespace testing_package {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string LanguagePackage() {
  return Package(Archive(
      8, {Record("ConResEn_ami.dll.gz", Gzip("english ami")),
          Record("AddMem.sys.gz", Gzip("driver")), Record("ConResEn.dll.gz", Gzip("english")),
          Record("addmem.sys.old.gz", Gzip("older driver"))}));
}

TEST_F(ExtractionTest, SingleMemberByCaseInsensitivePrefix) {
  PutPackage(LanguagePackage());
  core::Shared().UpdateFlags = 0x1234;
  EXPECT_TRUE(ExtractOne("ConResEn.dll"));
  EXPECT_THAT(Files(), ElementsAre("ConResEn.dll"));
  EXPECT_EQ(Content("ConResEn.dll"), "english");
  EXPECT_TRUE(ExtractOne("ADDMEM.SYS"));  // the first of two matches wins
  EXPECT_EQ(Content("AddMem.sys"), "driver");
  EXPECT_FALSE(notebook_.files().Exists("addmem.sys.old"));
  EXPECT_EQ(core::Shared().UpdateFlags, 0x1234u);
}

TEST_F(ExtractionTest, SingleMemberNotFound) {
  PutPackage(LanguagePackage());
  EXPECT_FALSE(ExtractOne("ConResFr.dll"));
  EXPECT_FALSE(ExtractOne(std::string(300, 'C').c_str()));
  EXPECT_TRUE(ExtractOne(""));  // an empty prefix matches the first member
  EXPECT_THAT(Files(), ElementsAre("ConResEn_ami.dll"));

  PutPackage(PackageWithOffset(Archive(0, {Record("AddMem.sys.gz", Gzip("d"))}), 0));
  EXPECT_FALSE(ExtractOne("AddMem.sys"));
  notebook_.files().Remove(notebook_.profile().modulePath);
  EXPECT_FALSE(ExtractOne("AddMem.sys"));
  notebook_.profile().modulePath = "";
  EXPECT_FALSE(ExtractOne("AddMem.sys"));
}

TEST_F(ExtractionTest, SingleMemberLookupStopsAtDamage) {
  // A negative size would step the lookup backwards onto the same record.
  PutPackage(Package(
      Archive(0, {RecordWithSize("loop.gz", -264, ""), Record("AddMem.sys.gz", Gzip("driver"))})));
  EXPECT_FALSE(ExtractOne("AddMem.sys"));
  // A count larger than the file holds, and a member cut short.
  PutPackage(Package(Archive(0, 1000, {Record("other.gz", Gzip("o"))})));
  EXPECT_FALSE(ExtractOne("AddMem.sys"));
  const std::string cut = Package(Archive(0, {Record("AddMem.sys.gz", Gzip("driver"))}));
  PutPackage(cut.substr(0, cut.size() - 3));
  EXPECT_FALSE(ExtractOne("AddMem.sys"));
  EXPECT_THAT(Files(), IsEmpty());
}

TEST_F(ExtractionTest, SingleMemberWithUnsafeNameEndsTheProcess) {
  PutPackage(Package(Archive(0, {Record("AddMem.sys:stream.gz", Gzip("driver"))})));
  std::optional<uint32_t> exitCode;
  ExtractOne("AddMem.sys", &exitCode);
  EXPECT_EQ(exitCode, 1u);
  EXPECT_THAT(Files(), IsEmpty());
}

TEST_F(ExtractionTest, ProbeLoadsTheFlagsWordOnly) {
  const std::string path = notebook_.profile().modulePath;
  PutPackage(Package(Archive(0x00081008, 0, {})));  // the probe does not read the count
  uint32_t offset = 0;
  EXPECT_EQ(package::ReadArchiveOffset(path, &offset), package::ArchiveSuccess);
  EXPECT_EQ(offset, kExecutableSize);
  EXPECT_EQ(package::ProbePackageHeader(path, offset), package::ArchiveSuccess);
  EXPECT_EQ(core::Shared().UpdateFlags, 0x00081008u);

  core::Shared().UpdateFlags = 5;
  EXPECT_EQ(package::ProbePackageHeader(path, 0), package::ArchiveNotPacked);
  EXPECT_EQ(package::ProbePackageHeader(path, 1), package::ArchiveNotPacked);
  PutPackage(Package("LPCK\x08\x00"));
  EXPECT_EQ(package::ProbePackageHeader(path, kExecutableSize), package::ArchiveExtractFailed);
  EXPECT_EQ(core::Shared().UpdateFlags, 5u);
  EXPECT_EQ(package::ProbePackageHeader("C:\\nowhere.exe", offset), package::ArchiveOpenFailed);
  EXPECT_EQ(package::ReadArchiveOffset("C:\\nowhere.exe", &offset), package::ArchiveOpenFailed);
}

TEST_F(ExtractionTest, ShortExecutableCarriesNoArchive) {
  PutPackage("MZ" + std::string(40, '\xFF'));  // ends inside the offset word
  uint32_t offset = 99;
  EXPECT_EQ(package::ReadArchiveOffset(notebook_.profile().modulePath, &offset),
            package::ArchiveSuccess);
  EXPECT_EQ(offset, 0u);
}

TEST(ArchiveResultText, NamesEveryResult) {
  EXPECT_STREQ(package::ArchiveResultText(package::ArchiveCreateFailed),
               "Could not create output archive file");
  EXPECT_STREQ(package::ArchiveResultText(package::ArchiveExtractFailed),
               "Failed while extracting one of the files");
  EXPECT_STREQ(package::ArchiveResultText(package::ArchiveOpenFailed),
               "Input archive file failed to open");
}

}  // namespace
}  // namespace testing_package
