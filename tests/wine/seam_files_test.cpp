// Files and directories through the Win32 seam.
#include <algorithm>

#include "seam_test.h"

namespace {

using seam_test::ReadWholeFile;
using seam_test::ScratchDirectory;
using seam_test::WriteWholeFile;

os::FileSystem& Files() {
  return *os::Os().files;
}

std::vector<std::string> Listing(const std::string& pattern) {
  std::vector<std::string> names;
  CHECK(Files().Enumerate(pattern, &names));
  std::sort(names.begin(), names.end());
  return names;
}

bool Listed(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

TEST_CASE(files_names_ignore_letter_case) {
  ScratchDirectory scratch("names");
  CHECK(WriteWholeFile("Mixed.TXT", "hello world"));
  CHECK_EQ(ReadWholeFile("mixed.txt"), std::string("hello world"));

  // The stored spelling comes back, whatever the pattern's case.
  CHECK(Listing("*.txt") == std::vector<std::string>{"Mixed.TXT"});
  CHECK(Listing("*.TXT") == std::vector<std::string>{"Mixed.TXT"});
  CHECK(Listing(scratch.Path() + "\\MIX*") == std::vector<std::string>{"Mixed.TXT"});
  CHECK(Listing("*.bin").empty());
  std::vector<std::string> names;
  CHECK(!Files().Enumerate("no such folder\\*.*", &names));

  CHECK(Files().Rename("MIXED.txt", "Renamed.bin"));
  uint32_t error = 0;
  CHECK(!Files().Open("mixed.txt", os::Access::kRead, os::Disposition::kOpenExisting,
                      os::Share::kRead, &error));
  CHECK_EQ(error, os::error::kFileNotFound);
  names = Listing("*.*");
  CHECK(Listed(names, "Renamed.bin"));
  CHECK(!Listed(names, "Mixed.TXT"));

  CHECK(Files().Copy("renamed.BIN", "Copy.bin", true));
  CHECK_EQ(ReadWholeFile("COPY.BIN"), std::string("hello world"));
  CHECK(WriteWholeFile("Other.bin", "other"));
  CHECK(!Files().Copy("Other.bin", "copy.bin", true));
  CHECK_EQ(ReadWholeFile("copy.bin"), std::string("hello world"));
  CHECK(Files().Copy("Other.bin", "copy.bin", false));
  CHECK_EQ(ReadWholeFile("copy.bin"), std::string("other"));
  // A rename never replaces an existing file.
  CHECK(!Files().Rename("renamed.bin", "OTHER.BIN"));
  CHECK_EQ(ReadWholeFile("other.bin"), std::string("other"));

  CHECK(Files().Remove("copy.BIN"));
  CHECK(!Files().Remove("copy.bin"));
  CHECK(!Listed(Listing("*.*"), "Copy.bin"));

  CHECK(!Files().Open("no such folder\\x.bin", os::Access::kWrite, os::Disposition::kCreateAlways,
                      os::Share::kNone, &error));
  CHECK_EQ(error, os::error::kPathNotFound);
}

TEST_CASE(files_offsets_append_and_sharing) {
  ScratchDirectory scratch("offsets");
  CHECK(WriteWholeFile("data.bin", "0123456789"));
  {
    os::FileHandle file = Files().Open("data.bin", os::Access::kRead,
                                       os::Disposition::kOpenExisting, os::Share::kRead);
    CHECK(file != nullptr);
    if (!file) return;
    char buffer[8] = {};
    uint32_t got = 0;
    CHECK(file->SeekTo(4));
    CHECK(file->Read(buffer, 3, &got));
    CHECK_EQ(std::string(buffer, got), std::string("456"));
    CHECK(!file->SeekTo(-1));
    // Past 4 GiB: a position cut to 32 bits would land on "6789".
    CHECK(file->SeekTo((int64_t{1} << 32) + 6));
    CHECK(file->Read(buffer, sizeof buffer, &got));
    CHECK_EQ(got, 0u);
    // Writing through a read handle is refused.
    uint32_t written = 99;
    CHECK(!file->Write("x", 1, &written));
    CHECK_EQ(written, 0u);
  }

  // The log's way of appending: open-or-create for writing, share reading.
  for (const char* piece : {"AB", "CD"}) {
    os::FileHandle file = Files().Open("DATA.BIN", os::Access::kWrite, os::Disposition::kOpenAlways,
                                       os::Share::kRead);
    CHECK(file != nullptr);
    if (!file) return;
    uint32_t written = 0;
    CHECK(file->SeekToEnd());
    CHECK(file->Write(piece, 2, &written));
    CHECK_EQ(written, 2u);
    uint64_t size = 0;  // the size as it stands, the write included
    CHECK(file->Size(&size));
    CHECK_EQ(size, piece[0] == 'A' ? 12u : 14u);
  }
  CHECK_EQ(ReadWholeFile("data.bin"), std::string("0123456789ABCD"));

  {
    os::FileHandle created =
        Files().Open("new.log", os::Access::kWrite, os::Disposition::kOpenAlways, os::Share::kRead);
    CHECK(created != nullptr);
    // While it is open for writing with read sharing, a reader may look in
    // but a second writer is turned away.
    os::FileHandle reader = Files().Open("new.log", os::Access::kRead,
                                         os::Disposition::kOpenExisting, os::Share::kReadWrite);
    CHECK(reader != nullptr);
    uint32_t error = 0;
    CHECK(!Files().Open("new.log", os::Access::kWrite, os::Disposition::kOpenAlways,
                        os::Share::kRead, &error));
    CHECK_EQ(error, os::error::kSharingViolation);
  }
  CHECK_EQ(ReadWholeFile("new.log"), std::string());

  // Creating anew empties an existing file.
  CHECK(WriteWholeFile("data.bin", "xy"));
  CHECK_EQ(ReadWholeFile("data.bin"), std::string("xy"));
}

TEST_CASE(files_directories_and_free_space) {
  ScratchDirectory scratch("dirs");
  CHECK_EQ(Files().CurrentDirectory(), scratch.Path());
  CHECK(Files().MakeDirectory("Sub"));
  CHECK(!Files().MakeDirectory("SUB"));
  CHECK(Files().ChangeDirectory("sub"));
  // Windows keeps the spelling of the request in the current directory.
  const std::string inside = Files().CurrentDirectory();
  CHECK(inside.size() == scratch.Path().size() + 4 && inside.back() != '\\');
  CHECK(WriteWholeFile("inner.txt", "in"));
  CHECK_EQ(ReadWholeFile(scratch.Path() + "\\Sub\\INNER.TXT"), std::string("in"));
  CHECK(Files().ChangeDirectory(".."));
  CHECK_EQ(Files().CurrentDirectory(), scratch.Path());
  CHECK(!Files().ChangeDirectory("missing"));
  CHECK_EQ(Files().CurrentDirectory(), scratch.Path());
  // The directory entries of a subdirectory are listed, as Windows does.
  std::vector<std::string> names = Listing("sub\\*.*");
  CHECK(Listed(names, ".") && Listed(names, "..") && Listed(names, "inner.txt"));

  uint64_t free = 0;
  CHECK(Files().FreeBytesAvailable(scratch.Path(), &free));
  CHECK(free > 0);
  uint64_t atRoot = 0;
  CHECK(Files().FreeBytesAvailable("C:\\", &atRoot));
  CHECK(atRoot > 0);
  CHECK(!Files().FreeBytesAvailable(scratch.Path() + "\\missing\\deeper", &free));
  CHECK(Files().Remove("sub\\inner.txt"));

  CHECK(Files().ChangeDirectory("C:\\"));
  CHECK_EQ(Files().CurrentDirectory(), std::string("C:\\"));
}
