// Whole-package extraction into the work folder of a simulated notebook.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/shared_state.h"
#include "core/update_flags.h"
#include "package/extract.h"
#include "package/extraction_fixture.h"

namespace testing_package {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Text(size_t size, char seed) {
  std::string text;
  for (size_t i = 0; i < size; ++i) text += static_cast<char>(seed + (i * 7 + i / 13) % 23);
  return text;
}

// Bytes that deflate cannot shrink much, so that the member spans several
// copy buffers.
std::string Noise(size_t size, uint32_t seed) {
  std::string bytes;
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes += static_cast<char>(seed >> 24);
  }
  return bytes;
}

TEST_F(ExtractionTest, ExtractsEveryMemberAndReloadsTheFlags) {
  const std::string image = Text(70000, 'a') + Noise(30000, 1);  // several buffers of each kind
  PutPackage(
      Package(Archive(core::FlashLastArea,
                      {Record("R0123.WPH.gz", Gzip(image)), Record("AddMem.sys.gz", Gzip("driver")),
                       Record("PHLASH_32.INI.gz", Gzip("[ini]\r\n"))})));
  core::Shared().UpdateFlags = 0xFFFF0000;
  EXPECT_EQ(ExtractAll(), package::ArchiveSuccess);
  EXPECT_EQ(core::Shared().UpdateFlags, core::FlashLastArea);
  EXPECT_THAT(Files(), ElementsAre("AddMem.sys", "PHLASH_32.INI", "R0123.WPH"));
  EXPECT_EQ(Content("R0123.WPH"), image);
  EXPECT_EQ(Content("AddMem.sys"), "driver");
  EXPECT_EQ(Content("PHLASH_32.INI"), "[ini]\r\n");
  EXPECT_THAT(StandardError(), IsEmpty());
}

TEST_F(ExtractionTest, AcceptsMembersFromOtherProducers) {
  const std::string gzipped = GzipCommand("made by the gzip command\n", "original-name.txt");
  if (gzipped.empty()) GTEST_SKIP() << "no gzip command";
  ASSERT_EQ(gzipped.substr(0, 4), std::string("\x1F\x8B\x08\x08", 4));  // a stored file name
  GzipHeader python;  // what Python's gzip module writes: a time, XFL 2, OS 255
  python.mtime = 1700000000;
  python.extraFlags = 2;
  python.os = 255;
  python.name = "python.bin";
  GzipHeader fields;
  fields.extra = std::string(
      "AB\x04\x00"
      "data",
      8);
  fields.comment = "a comment";
  fields.headerCrc = true;
  const std::string concatenated = Gzip("first part, ") + Gzip("") + Gzip("second part");
  PutPackage(Package(Archive(
      0, {Record("cmd.txt.gz", gzipped), Record("python.bin.gz", Gzip("from python", python)),
          Record("fields.dat.gz", Gzip("extra and comment", fields)),
          Record("joined.txt.gz", concatenated), Record("plain.txt.gz", "not gzip at all"),
          Record("one.bin.gz", "\x1F"), Record("empty.bin.gz", "")})));
  EXPECT_EQ(ExtractAll(), package::ArchiveSuccess);
  EXPECT_EQ(Content("cmd.txt"), "made by the gzip command\n");
  EXPECT_EQ(Content("python.bin"), "from python");
  EXPECT_EQ(Content("fields.dat"), "extra and comment");
  EXPECT_EQ(Content("joined.txt"), "first part, second part");
  EXPECT_EQ(Content("plain.txt"), "not gzip at all");
  EXPECT_EQ(Content("one.bin"), "\x1F");
  EXPECT_EQ(Content("empty.bin"), "");
  EXPECT_EQ(Files().size(), 7u);  // no ".gz" copy left behind
}

// The gzip reader drops what follows the last gzip member unless it starts
// another one; the package tool's verify reports such bytes.
TEST_F(ExtractionTest, BytesAfterTheGzipDataAreDropped) {
  PutPackage(Package(Archive(0, {Record("d.txt.gz", Gzip("data") + "xyz")})));
  EXPECT_EQ(ExtractAll(), package::ArchiveSuccess);
  EXPECT_EQ(Content("d.txt"), "data");
}

TEST_F(ExtractionTest, LaterMemberOfTheSameNameReplacesTheEarlier) {
  PutPackage(
      Package(Archive(0, {Record("a.txt.gz", Gzip("first")), Record("A.TXT.gz", Gzip("second"))})));
  EXPECT_EQ(ExtractAll(), package::ArchiveSuccess);
  ASSERT_EQ(Files().size(), 1u);
  EXPECT_EQ(Content("a.txt"), "second");
}

TEST_F(ExtractionTest, HeaderResults) {
  // Empty, negative count, wrong magic, no package, missing file.
  PutPackage(Package(Archive(0x20, 0, {})));
  EXPECT_EQ(ExtractAll(), package::ArchiveEmpty);
  EXPECT_EQ(core::Shared().UpdateFlags, 0x20u);

  PutPackage(Package(Archive(0x40, -1, {Record("a.gz", Gzip("a"))})));
  EXPECT_EQ(ExtractAll(), package::ArchiveSuccess);
  EXPECT_EQ(core::Shared().UpdateFlags, 0x40u);
  EXPECT_THAT(Files(), IsEmpty());

  std::string wrongMagic = Package(Archive(0x40, {Record("a.gz", Gzip("a"))}));
  wrongMagic[kExecutableSize + 3] = 'X';
  PutPackage(wrongMagic);
  EXPECT_EQ(ExtractAll(), package::ArchiveNotPacked);
  EXPECT_EQ(core::Shared().UpdateFlags, 0u);

  PutPackage(PackageWithOffset(Archive(0x40, {Record("a.gz", Gzip("a"))}), 0));
  EXPECT_EQ(ExtractAll(), package::ArchiveNotPacked);  // offset 0 reads "MZ"

  PutPackage(PackageWithOffset(Archive(0x40, {Record("a.gz", Gzip("a"))}), 0x80000000u));
  EXPECT_EQ(ExtractAll(), package::ArchiveNotPacked);  // beyond a signed 32-bit position

  core::Shared().UpdateFlags = 7;
  EXPECT_EQ(package::ExtractAllMembers("C:\\Update\\Missing.exe", kExecutableSize),
            package::ArchiveOpenFailed);
  EXPECT_EQ(core::Shared().UpdateFlags, 0u);
  EXPECT_THAT(Files(), IsEmpty());
}

TEST_F(ExtractionTest, TruncatedArchiveFailsWhereItEnds) {
  const std::string whole = Package(Archive(
      8, {Record("first.bin.gz", Gzip("first")), Record("second.bin.gz", Gzip(Noise(9000, 7)))}));
  const size_t second = kExecutableSize + 12 + 264 + Gzip("first").size();
  // Inside the second member's data, inside its record header, and right
  // after the first member (a count larger than the file holds).
  ASSERT_GT(whole.size(), second + 264 + 4096 + 100);
  for (size_t cut : {whole.size() - 1, second + 264 + 4096 + 100, second + 100, second}) {
    SCOPED_TRACE(cut);
    notebook_.files().Remove("first.bin");
    PutPackage(whole.substr(0, cut));
    EXPECT_EQ(ExtractAll(), package::ArchiveExtractFailed);
    EXPECT_THAT(Files(), ElementsAre("first.bin"));  // no partial second member
    EXPECT_EQ(Content("first.bin"), "first");
  }
  // Inside the flags word and inside the count.
  notebook_.files().Remove("first.bin");
  for (size_t cut : {kExecutableSize + 6, kExecutableSize + 10}) {
    SCOPED_TRACE(cut);
    PutPackage(whole.substr(0, cut));
    core::Shared().UpdateFlags = 7;
    EXPECT_EQ(ExtractAll(), package::ArchiveExtractFailed);
    EXPECT_EQ(core::Shared().UpdateFlags, 0u);
    EXPECT_THAT(Files(), IsEmpty());
  }
}

TEST_F(ExtractionTest, NegativeMemberSizeIsDamage) {
  PutPackage(
      Package(Archive(0, {Record("a.txt.gz", Gzip("a")), RecordWithSize("b.txt.gz", -264, ""),
                          Record("c.txt.gz", Gzip("c"))})));
  EXPECT_EQ(ExtractAll(), package::ArchiveExtractFailed);
  EXPECT_THAT(Files(), ElementsAre("a.txt"));
}

TEST_F(ExtractionTest, OutputThatCannotBeCreated) {
  PutPackage(Package(Archive(0, {Record("held.sys.gz", Gzip("new driver"))})));
  notebook_.files().Put("held.sys.gz", "in use");
  notebook_.files().Lock("held.sys.gz");
  EXPECT_EQ(ExtractAll(), package::ArchiveCreateFailed);
  EXPECT_EQ(Content("held.sys.gz"), "in use");
  EXPECT_THAT(StandardError(), IsEmpty());
}

TEST_F(ExtractionTest, DecompressedFileThatCannotBeCreatedEndsTheProcess) {
  PutPackage(Package(Archive(0, {Record("taken.gz", Gzip("data"))})));
  notebook_.files().MakeDirectory("taken");
  std::optional<uint32_t> exitCode;
  ExtractAll(&exitCode);
  EXPECT_EQ(exitCode, 1u);
  ASSERT_EQ(StandardError().size(), 1u);
  EXPECT_EQ(StandardError()[0].rfind("OrvantaUpdate.exe: taken.gz: ", 0), 0u) << StandardError()[0];
  EXPECT_TRUE(notebook_.files().IsDirectory("taken"));
}

TEST_F(ExtractionTest, UnsafeNamesEndTheProcessBeforeAnythingIsWritten) {
  std::vector<std::string> names = {
      "",       ".gz",        ".",           "..",      "...gz",       "..\\up.gz", "sub/file.gz",
      "C:x.gz", "a\x01.gz",   "what?.gz",    "dot..gz", "space .gz",   "blank.gz ", "CON",
      "con.gz", "Aux.sys.gz", "nul .txt.gz", "COM1.gz", "lpt9.dll.gz", "CONOUT$.gz"};
  names.push_back(std::string(260, 'n'));
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    notebook_.transcript().Clear();
    PutPackage(Package(Archive(0, {Record(name, Gzip("payload"))})));
    std::optional<uint32_t> exitCode;
    ExtractAll(&exitCode);
    EXPECT_EQ(exitCode, 1u);
    EXPECT_THAT(Files(), IsEmpty());
    ASSERT_EQ(StandardError().size(), 1u);
    EXPECT_EQ(StandardError()[0].rfind("OrvantaUpdate.exe: damaged package: member name \"", 0), 0u)
        << StandardError()[0];
  }
}

TEST_F(ExtractionTest, DamagedGzipDataEndsTheProcess) {
  const std::string good = Gzip(Text(5000, 'q'));
  std::string badDeflate = good;
  badDeflate[40] = static_cast<char>(badDeflate[40] ^ 0x55);
  std::string badCrc = good;
  badCrc[good.size() - 6] = static_cast<char>(badCrc[good.size() - 6] ^ 1);
  std::string badLength = good;
  badLength[good.size() - 2] = static_cast<char>(badLength[good.size() - 2] ^ 1);
  const std::string cutStream = good.substr(0, good.size() - 20);
  // The gzip reader's reason names the member as Windows would, never a host
  // path; a stream cut short reads as its end and fails at the close.
  const std::pair<std::string, std::string> cases[] = {
      {badDeflate, "OrvantaUpdate.exe: bad.txt.gz: "},
      {badCrc, "OrvantaUpdate.exe: bad.txt.gz: "},
      {badLength, "OrvantaUpdate.exe: bad.txt.gz: "},
      {cutStream, "OrvantaUpdate.exe: failed gzclose"}};
  for (const auto& [data, reason] : cases) {
    notebook_.transcript().Clear();
    PutPackage(Package(Archive(0, {Record("ok.txt.gz", Gzip("fine")), Record("bad.txt.gz", data),
                                   Record("never.txt.gz", Gzip("never"))})));
    std::optional<uint32_t> exitCode;
    ExtractAll(&exitCode);
    EXPECT_EQ(exitCode, 1u);
    // The damaged member's output is gone; its compressed copy is kept for
    // diagnosis; nothing after it was written.
    EXPECT_THAT(Files(), ElementsAre("bad.txt.gz", "ok.txt"));
    ASSERT_EQ(StandardError().size(), 1u);
    EXPECT_EQ(StandardError()[0].rfind(reason, 0), 0u) << StandardError()[0];
    EXPECT_EQ(notebook_.transcript().Of("exit"), std::vector<std::string>{"1"});
    notebook_.files().Remove("bad.txt.gz");
    notebook_.files().Remove("ok.txt");
  }
}

TEST_F(ExtractionTest, NameWithoutTheLowerCaseSuffixEndsTheProcess) {
  for (const char* name : {"plain.txt", "UPPER.TXT.GZ"}) {
    SCOPED_TRACE(name);
    notebook_.transcript().Clear();
    PutPackage(Package(Archive(0, {Record(name, Gzip("data"))})));
    std::optional<uint32_t> exitCode;
    ExtractAll(&exitCode);
    EXPECT_EQ(exitCode, 1u);
    EXPECT_THAT(StandardError(),
                ElementsAre(std::string("OrvantaUpdate.exe: can't gzopen ") + name + ".gz\\n"));
    EXPECT_THAT(Files(), ElementsAre(name));  // copied as stored, never decompressed
    notebook_.files().Remove(name);
  }
}

}  // namespace
}  // namespace testing_package
