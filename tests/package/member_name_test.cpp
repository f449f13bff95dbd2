#include "package/member_name.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using package::CheckStoredName;
using package::NameFault;

TEST(MemberName, ReleaseNamesPass) {
  for (const char* name :
       {"R0123.WPH.gz", "AddMem.sys.gz", "afuwinx64.exe.gz", "amifldrv.vxd.gz",
        "ConResEn_ami.dll.gz", "PHLASH_64.INI.gz", "WinUpV01_10.exe.gz", "COM10.txt.gz",
        "Console.dll.gz", "lpt.gz", "no suffix", "x.GZ", " leading blank.gz", "caf\xE9.txt.gz"})
    EXPECT_EQ(CheckStoredName(name), NameFault::kNone) << name;
}

TEST(MemberName, FaultsOfStoredAndExtractedName) {
  EXPECT_EQ(CheckStoredName(".gz"), NameFault::kEmpty);
  EXPECT_EQ(CheckStoredName("a\\b.gz"), NameFault::kSeparator);
  EXPECT_EQ(CheckStoredName("a:b.gz"), NameFault::kColon);
  EXPECT_EQ(CheckStoredName("tab\t.gz"), NameFault::kControlCharacter);
  EXPECT_EQ(CheckStoredName(std::string("a\0b.gz", 6)), NameFault::kControlCharacter);
  EXPECT_EQ(CheckStoredName("a|b.gz"), NameFault::kReservedCharacter);
  EXPECT_EQ(CheckStoredName("..gz"), NameFault::kTrailingDotOrSpace);
  EXPECT_EQ(CheckStoredName("prn.gz"), NameFault::kDeviceName);
  EXPECT_EQ(CheckStoredName("Com\xB9.gz"), NameFault::kDeviceName);
  EXPECT_EQ(CheckStoredName("conin$.log.gz"), NameFault::kDeviceName);
  EXPECT_EQ(CheckStoredName(std::string(259, 'a')), NameFault::kNone);
  EXPECT_EQ(CheckStoredName(std::string(260, 'a')), NameFault::kTooLong);
}

TEST(MemberName, NameField) {
  uint8_t field[260];
  std::memset(field, 'a', sizeof field);
  std::string stored;
  EXPECT_EQ(package::CheckNameField(field, &stored), NameFault::kNotTerminated);
  field[259] = 0;
  EXPECT_EQ(package::CheckNameField(field, &stored), NameFault::kNone);
  EXPECT_EQ(stored, std::string(259, 'a'));
}

TEST(MemberName, SuffixIsLowerCaseAndNeedsAName) {
  EXPECT_TRUE(package::HasCompressedSuffix("a.gz"));
  EXPECT_FALSE(package::HasCompressedSuffix(".gz"));
  EXPECT_FALSE(package::HasCompressedSuffix("a.Gz"));
  EXPECT_EQ(package::ExtractedName("AddMem.sys.gz"), "AddMem.sys");
  EXPECT_EQ(package::ExtractedName("AddMem.sys"), "AddMem.sys");
  EXPECT_EQ(package::PrintableName("a\x01\xE9"), "a\\x01\\xE9");
}

}  // namespace
