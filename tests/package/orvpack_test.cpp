// The package tool, run as a program: the bytes it writes, and what it says
// about packages from other producers and about damaged ones.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>

#include "package/package_bytes.h"

namespace testing_package {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

bool KindOfPath(const std::string& path) {
  return access(path.c_str(), F_OK) == 0;
}

struct ToolRun {
  int exitCode = -1;
  std::string out, err;
};

class OrvpackTest : public ::testing::Test {
 protected:
  ToolRun Run(const std::string& arguments) {
    const std::string tool = ORVPACK_PATH;
    const std::string out = Path("stdout.txt"), err = Path("stderr.txt");
    const std::string command = "cd '" + scratch_.path() + "' && '" + tool + "' " + arguments +
                                " >'" + out + "' 2>'" + err + "'";
    ToolRun run;
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ReadHostFile(out, &run.out);
    ReadHostFile(err, &run.err);
    return run;
  }
  std::string Path(const std::string& name) { return scratch_.path() + "/" + name; }
  void Write(const std::string& name, const std::string& content) {
    ASSERT_TRUE(WriteHostFile(Path(name), content));
  }
  std::string Read(const std::string& name) {
    std::string content;
    EXPECT_TRUE(ReadHostFile(Path(name), &content)) << name;
    return content;
  }
  // A 300-byte stand-in updater.
  void WriteUpdater(const std::string& name = "updater.exe") {
    std::string exe(300, '\x90');
    exe[0] = 'M';
    exe[1] = 'Z';
    exe.replace(40, 4, Le32(0));
    Write(name, exe);
  }

  ScratchFolder scratch_;
};

std::string Field(const std::string& name) {
  std::string field = name;
  field.resize(260, '\0');
  return field;
}

std::string Inflate(const std::string& raw) {
  z_stream stream{};
  inflateInit2(&stream, -15);
  std::string out(1024, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
  stream.avail_in = static_cast<uInt>(raw.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int status = inflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  inflateEnd(&stream);
  return status == Z_STREAM_END && stream.avail_in == 0 ? out : "(not one deflate stream)";
}

TEST_F(OrvpackTest, BuildWritesTheLayoutByteForByte) {
  WriteUpdater();
  Write("check.txt", "123456789");
  Write("empty.bin", "");
  const ToolRun run =
      Run("build --updater updater.exe --flags 'FlashLastArea|NoMessageBox' "
          "--output package.exe check.txt empty.bin");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string updater = Read("updater.exe");
  const std::string package = Read("package.exe");
  const std::string gzipHeader("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x0B", 10);

  // The updater, unchanged but for the offset word.
  std::string expectedExe = updater;
  expectedExe.replace(40, 4, Le32(300));
  ASSERT_GE(package.size(), 300u + 12 + 264);
  EXPECT_EQ(package.substr(0, 300), expectedExe);
  EXPECT_EQ(package.substr(300, 12), "LPCK" + Le32(0x28) + Le32(2));

  // check.txt: its deflate stream is zlib's, so it is checked by inflating it;
  // the CRC-32 of "123456789" is the well-known CBF43926.
  EXPECT_EQ(package.substr(312, 260), Field("check.txt.gz"));
  const uint32_t size1 = static_cast<uint8_t>(package[572]) | static_cast<uint8_t>(package[573])
                                                                  << 8;
  EXPECT_EQ(package.substr(572, 4), Le32(size1));
  const std::string data1 = package.substr(576, size1);
  EXPECT_EQ(data1.substr(0, 10), gzipHeader);
  EXPECT_EQ(Inflate(data1.substr(10, size1 - 18)), "123456789");
  EXPECT_EQ(data1.substr(size1 - 8), Le32(0xCBF43926) + Le32(9));

  // empty.bin: every byte is known (an empty final fixed block is 03 00).
  const std::string record2 = Field("empty.bin.gz") + Le32(20) + gzipHeader +
                              std::string("\x03\x00", 2) + Le32(0) + Le32(0);
  EXPECT_EQ(package.substr(576 + size1), record2);
  EXPECT_EQ(package.size(), 300u + 12 + 264 + size1 + 264 + 20);
}

TEST_F(OrvpackTest, BuildFromAFolderInNameOrderAndRoundTrip) {
  WriteUpdater();
  ASSERT_EQ(std::system(("mkdir -p '" + Path("payload") + "'").c_str()), 0);
  std::string image;
  for (int i = 0; i < 200000; ++i) image += static_cast<char>((i * 31) ^ (i >> 7));
  Write("payload/R0123.WPH", image);
  Write("payload/addmem.sys", "driver");
  Write("payload/AFUWIN.exe", "MZ tool");
  ASSERT_EQ(Run("build -u updater.exe -f 8 -o package.exe -p payload").exitCode, 0);
  const ToolRun list = Run("list package.exe");
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_THAT(list.out, HasSubstr("0x00000008 FlashLastArea"));
  const size_t afuwin = list.out.find("AFUWIN.exe.gz"), addmem = list.out.find("addmem.sys.gz"),
               wph = list.out.find("R0123.WPH.gz");
  EXPECT_LT(addmem, afuwin);
  EXPECT_LT(afuwin, wph);
  EXPECT_NE(wph, std::string::npos);
  char crc[16];
  std::snprintf(crc, sizeof crc, "%08X",
                static_cast<unsigned>(crc32(0, reinterpret_cast<const Bytef*>(image.data()),
                                            static_cast<uInt>(image.size()))));
  EXPECT_THAT(list.out, HasSubstr(std::string("200000 ") + crc + " gzip   R0123.WPH.gz"));
  EXPECT_EQ(Run("verify package.exe").exitCode, 0);
  ASSERT_EQ(Run("extract package.exe out").exitCode, 0);
  EXPECT_EQ(Read("out/R0123.WPH"), image);
  EXPECT_EQ(Read("out/addmem.sys"), "driver");
  // A second extraction does not overwrite without --force.
  EXPECT_EQ(Run("extract package.exe out").exitCode, 1);
  EXPECT_EQ(Run("extract package.exe out --force").exitCode, 0);
}

TEST_F(OrvpackTest, BuildRefusesWhatTheUpdaterWouldRefuse) {
  WriteUpdater();
  Write("con.txt", "device");
  Write("trailing.", "dot");
  ASSERT_EQ(std::system(("mkdir -p '" + Path("a") + "' '" + Path("b") + "'").c_str()), 0);
  Write("a/Same.txt", "1");
  Write("b/SAME.TXT", "2");
  Write("notexe.bin", "XX" + std::string(100, '\0'));
  Write("ok.txt", "fine");
  Write(std::string(157, 'l'), "a stored name of 160 bytes");
  Write(std::string(158, 'l'), "a stored name of 161 bytes");

  ToolRun run = Run("build -u updater.exe -f 0 -o p.exe con.txt");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("is a device name"));
  EXPECT_EQ(Run("build -u updater.exe -f 0 -o p.exe trailing.").exitCode, 1);
  run = Run("build -u updater.exe -f 0 -o p.exe " + std::string(158, 'l'));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("161 bytes long"));
  run = Run("build -u updater.exe -f 0 -o p.exe a/Same.txt b/SAME.TXT");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("two members named"));
  run = Run("build -u notexe.bin -f 0 -o p.exe ok.txt");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("\"MZ\""));
  EXPECT_EQ(Run("build -u updater.exe -f BogusFlag -o p.exe ok.txt").exitCode, 2);
  EXPECT_EQ(Run("build -u updater.exe -o p.exe ok.txt").exitCode, 2);
  EXPECT_EQ(Run("build -u missing.exe -f 0 -o p.exe ok.txt").exitCode, 3);
  EXPECT_EQ(KindOfPath(Path("p.exe")), false);  // nothing written by a refused build
  EXPECT_EQ(KindOfPath(Path("p.exe.partial")), false);
  // A package is not an updater to build on.
  ASSERT_EQ(Run("build -u updater.exe -f 0 -o p.exe ok.txt " + std::string(157, 'l')).exitCode, 0);
  run = Run("build -u p.exe -f 0 -o q.exe ok.txt");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("already carries a package"));
}

TEST_F(OrvpackTest, AcceptsPackagesFromOtherProducers) {
  const std::string gzipped = GzipCommand("by the gzip command\n", "stored-name.txt");
  if (gzipped.empty()) GTEST_SKIP() << "no gzip command";
  GzipHeader python;
  python.mtime = 1700000000;
  python.extraFlags = 2;
  python.os = 255;
  GzipHeader fields;
  fields.extra = "XY\x02\x00zz";
  fields.comment = "comment";
  fields.name = "inner";
  Write("mixed.exe",
        Package(Archive(0x1000,
                        {Record("cmd.txt.gz", gzipped), Record("python.bin.gz", Gzip("py", python)),
                         Record("fields.dat.gz", Gzip("f", fields)),
                         Record("joined.txt.gz", Gzip("a") + Gzip("b")),
                         Record("plain.txt.gz", "not gzip"), Record("empty.bin.gz", "")})));
  const ToolRun verify = Run("verify mixed.exe");
  EXPECT_EQ(verify.exitCode, 0) << verify.out;
  EXPECT_THAT(verify.out,
              HasSubstr("6 members (4 gzip, 1 stored, 1 empty), flags 0x00001000 DmiOnly"));
  EXPECT_THAT(verify.out, HasSubstr("\"plain.txt.gz\" is stored without gzip"));
  ASSERT_EQ(Run("extract mixed.exe out").exitCode, 0);
  EXPECT_EQ(Read("out/cmd.txt"), "by the gzip command\n");
  EXPECT_EQ(Read("out/joined.txt"), "ab");
  EXPECT_EQ(Read("out/plain.txt"), "not gzip");
  EXPECT_EQ(Read("out/empty.bin"), "");
}

struct Damage {
  const char* what;
  std::string package;
  const char* expected;
};

std::vector<Damage> DamagedPackages() {
  const std::string good = Gzip(std::string(3000, 'z') + "tail");
  std::string badDeflate = good;
  badDeflate[12] = static_cast<char>(badDeflate[12] ^ 0x40);
  std::string badCrc = good;
  badCrc[good.size() - 8] = static_cast<char>(badCrc[good.size() - 8] ^ 1);
  const std::string ok = Record("ok.txt.gz", Gzip("ok"));
  return {
      {"bad name", Package(Archive(0, {ok, Record("..\\evil.gz", Gzip("x"))})),
       "slash or backslash"},
      {"device name", Package(Archive(0, {Record("aux.dll.gz", Gzip("x"))})), "device name"},
      {"unterminated", Package(Archive(0, {Record(std::string(260, 'u'), Gzip("x"))})),
       "not terminated"},
      {"no suffix", Package(Archive(0, {Record("plain.txt", Gzip("x"))})),
       "does not end in \".gz\""},
      {"upper-case suffix", Package(Archive(0, {Record("UPPER.TXT.GZ", Gzip("x"))})),
       "does not end in \".gz\""},
      {"name too long for a work directory",
       Package(Archive(0, {Record(std::string(254, 'n') + ".gz", Gzip("x"))})),
       "257 bytes long, more than the 160"},
      {"duplicate", Package(Archive(0, {ok, Record("OK.TXT.gz", Gzip("x"))})),
       "replaces the first"},
      {"negative size", Package(Archive(0, {ok, RecordWithSize("n.gz", -5, "")})),
       "negative size -5"},
      {"count too large", Package(Archive(0, 3, {ok})), "the file ends inside member 2"},
      {"cut data", Package(Archive(0, {ok})).substr(0, kExecutableSize + 12 + 264 + 5),
       "the file ends inside member 1"},
      {"bytes after", Package(Archive(0, {ok})) + "junk", "4 bytes follow the last member"},
      {"negative count", Package(Archive(0, -2, {ok})), "is negative"},
      {"empty", Package(Archive(0, 0, {})), "archive is empty"},
      {"flipped deflate", Package(Archive(0, {Record("d.bin.gz", badDeflate)})),
       "damaged gzip data"},
      {"flipped crc", Package(Archive(0, {Record("d.bin.gz", badCrc)})), "incorrect data check"},
      {"cut gzip stream",
       Package(Archive(0, {Record("d.bin.gz", good.substr(0, good.size() - 3))})), "ends early"},
      {"trailing garbage", Package(Archive(0, {Record("d.bin.gz", good + "xyz")})),
       "3 bytes after the gzip data"},
  };
}

// List marks the names verify reports, and fails too.
TEST_F(OrvpackTest, VerifyAndListReportEveryFault) {
  for (const Damage& damage : DamagedPackages()) {
    SCOPED_TRACE(damage.what);
    Write("damaged.exe", damage.package);
    const ToolRun run = Run("verify damaged.exe");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.out, HasSubstr("FAULT: "));
    EXPECT_THAT(run.out, HasSubstr(damage.expected)) << run.out;
    EXPECT_THAT(run.out, Not(HasSubstr(": OK:")));
    const std::string what = damage.what;
    if (what.find("name") != std::string::npos || what.find("suffix") != std::string::npos) {
      const ToolRun list = Run("list damaged.exe");
      EXPECT_EQ(list.exitCode, 1);
      EXPECT_THAT(list.out, HasSubstr(damage.expected)) << list.out;
    }
  }
}

// A link in the destination is replaced with --force and refused without;
// nothing is ever written where it leads.
TEST_F(OrvpackTest, ExtractNeverWritesThroughALink) {
  Write("outside.txt", "keep");
  Write("p.exe",
        Package(Archive(0, {Record("a.txt.gz", Gzip("new")), Record("b.txt.gz", Gzip("new"))})));
  const auto link = [&](const char* target, const char* name) {
    return std::system(
        ("mkdir -p '" + Path("out") + "' && ln -s " + target + " '" + Path(name) + "'").c_str());
  };
  ASSERT_EQ(link("../nowhere.txt", "out/b.txt"), 0);
  // A link that leads nowhere is there all the same: refused before anything is written.
  EXPECT_EQ(Run("extract p.exe out").exitCode, 1);
  EXPECT_FALSE(KindOfPath(Path("out/a.txt")));
  ASSERT_EQ(link("../outside.txt", "out/a.txt"), 0);
  EXPECT_EQ(Run("extract p.exe out --force").exitCode, 0);
  EXPECT_EQ(Read("outside.txt"), "keep");
  EXPECT_FALSE(KindOfPath(Path("nowhere.txt")));
  EXPECT_EQ(Read("out/a.txt"), "new");
  EXPECT_EQ(Read("out/b.txt"), "new");
}

TEST_F(OrvpackTest, NoPackageAtAll) {
  Write("zero.exe", PackageWithOffset(Archive(0, {Record("a.gz", Gzip("a"))}), 0));
  ToolRun run = Run("verify zero.exe");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("carries no package"));
  Write("magic.exe", PackageWithOffset(Archive(0, {Record("a.gz", Gzip("a"))}), 600));
  run = Run("list magic.exe");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("no \"LPCK\" archive at offset 600"));
  EXPECT_EQ(Run("list absent.exe").exitCode, 3);
  EXPECT_EQ(Run("frobnicate").exitCode, 2);
  const ToolRun help = Run("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_THAT(help.out, HasSubstr("0x00080000 UseDiagRecord"));
}

TEST_F(OrvpackTest, ExtractWritesNothingUnderUnsafeNamesAndDropsDamagedOutput) {
  Write("evil.exe", Package(Archive(0, {Record("fine.txt.gz", Gzip("fine")),
                                        Record("../escape.txt.gz", Gzip("x"))})));
  ToolRun run = Run("extract evil.exe out");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(KindOfPath(Path("out")), false);  // checked before anything was written
  EXPECT_EQ(KindOfPath(Path("escape.txt")), false);

  std::string bad = Gzip("second member's text");
  bad[bad.size() - 5] = static_cast<char>(bad[bad.size() - 5] ^ 1);
  Write("bad.exe",
        Package(Archive(0, {Record("first.txt.gz", Gzip("first")), Record("second.txt.gz", bad)})));
  run = Run("extract bad.exe out");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err, HasSubstr("member 2 \"second.txt.gz\": damaged gzip data"));
  EXPECT_EQ(Read("out/first.txt"), "first");
  EXPECT_EQ(KindOfPath(Path("out/second.txt")), false);
}

// A 400-byte PE32 executable without sections whose security entry (the
// certificate table's file offset and size) lies at byte 0xD8.
constexpr size_t kSecurityEntry = 0xD8;
std::string PeUpdater() {
  std::string exe(400, '\0');
  exe.replace(0, 2, "MZ");
  exe.replace(0x3C, 4, Le32(0x40));
  exe.replace(0x40, 4, std::string("PE\0\0", 4));
  exe.replace(0x44, 2, std::string("\x4C\x01", 2));  // i386
  exe.replace(0x54, 2, std::string("\xE0\x00", 2));  // optional header of 224 bytes
  exe.replace(0x58, 2, std::string("\x0B\x01", 2));  // PE32
  exe.replace(0x58 + 92, 4, Le32(16));               // data directory entries
  return exe;
}

// Signs `file` as a signing tool does: zero padding to 8 bytes, one
// certificate entry (revision 2.0, PKCS#7) padded to 8, and the security entry.
std::string Signed(std::string file, uint16_t revision = 0x0200) {
  file.resize((file.size() + 7) / 8 * 8, '\0');
  const std::string der(45, '\x30');
  std::string entry = Le32(static_cast<uint32_t>(8 + der.size())) +
                      std::string{static_cast<char>(revision), static_cast<char>(revision >> 8)} +
                      std::string("\x02\x00", 2) + der;
  entry.resize((entry.size() + 7) / 8 * 8, '\0');
  file.replace(
      kSecurityEntry, 8,
      Le32(static_cast<uint32_t>(file.size())) + Le32(static_cast<uint32_t>(entry.size())));
  return file + entry;
}

TEST_F(OrvpackTest, ASignatureMadeAfterTheBuildIsAcceptedAndOneMadeBeforeIsNot) {
  Write("updater.exe", PeUpdater());
  Write("payload.txt", "payload");
  ASSERT_EQ(Run("build -u updater.exe -f 8 -o package.exe payload.txt").exitCode, 0);
  const std::string package = Read("package.exe");
  ASSERT_NE(package.size() % 8, 0u) << "the test wants alignment padding";
  Write("signed.exe", Signed(package));
  ToolRun run = Run("verify signed.exe");
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_THAT(run.out, HasSubstr("signed after the archive: Authenticode signature: 1 certificate "
                                 "entry, 56 bytes at offset " +
                                 std::to_string((package.size() + 7) / 8 * 8)));
  EXPECT_THAT(Run("list signed.exe").out, HasSubstr("signature:      Authenticode signature"));
  run = Run("extract signed.exe out");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Read("out/payload.txt"), "payload");

  // A signed updater: the archive would land behind its certificate table.
  Write("signed-updater.exe", Signed(PeUpdater()));
  run = Run("build -u signed-updater.exe -f 8 -o broken.exe payload.txt");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_THAT(run.err,
              HasSubstr("carries a code signature, which the appended archive would break"));
  EXPECT_FALSE(KindOfPath(Path("broken.exe")));
}

TEST_F(OrvpackTest, VerifyNamesEverySignatureThatWindowsWouldFindBroken) {
  Write("updater.exe", PeUpdater());
  Write("payload.txt", "payload");
  ASSERT_EQ(Run("build -u updater.exe -f 8 -o package.exe payload.txt").exitCode, 0);
  const std::string package = Read("package.exe");
  const std::string good = Signed(package);
  const size_t padding = package.size();  // the first padding byte

  std::string before = package;  // a table inside the updater, as if signed before the build
  before.replace(kSecurityEntry, 8, Le32(320) + Le32(16));
  before.replace(320, 8, Le32(16) + std::string("\x00\x02\x02\x00", 4));
  std::string dirtyPadding = good;
  dirtyPadding[padding] = 'x';
  std::string wrongRevision = Signed(package, 0x0100);
  std::string tooLong = good;
  tooLong.replace(kSecurityEntry + 4, 4, Le32(4096));
  const struct {
    const char* name;
    std::string file;
    const char* fault;
  } cases[] = {
      {"before.exe", before, "lies before the end of the archive"},
      {"padding.exe", dirtyPadding, "are not alignment padding"},
      {"trailing.exe", good + "tail", "4 bytes follow the code signature"},
      {"revision.exe", wrongRevision, "not a PKCS#7 signature of revision 2.0"},
      {"long.exe", tooLong, "runs past the end of the file"},
  };
  for (const auto& c : cases) {
    Write(c.name, c.file);
    const ToolRun run = Run(std::string("verify ") + c.name);
    EXPECT_EQ(run.exitCode, 1) << c.name;
    EXPECT_THAT(run.out, HasSubstr(c.fault)) << c.name;
  }
}

}  // namespace
}  // namespace testing_package
