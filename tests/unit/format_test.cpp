#include "core/format.h"

#include <gtest/gtest.h>

#include "os/sim/string_tables.h"

namespace {

using core::FormatText;

TEST(FormatText, FormatsMatchingArgumentsAsWindowsDoes) {
  EXPECT_EQ(FormatText("DeleteDirectoryFile : %s is Deleted", {"a.bin"}),
            "DeleteDirectoryFile : a.bin is Deleted");
  EXPECT_EQ(FormatText("Remaining: %ldMbytes Required: %dMbytes", {1, 2}),
            "Remaining: 1Mbytes Required: 2Mbytes");
  EXPECT_EQ(FormatText("Find Window : %X", {0x1A2B}), "Find Window : 1A2B");
  EXPECT_EQ(FormatText("%5d|%-3s|%#x", {42, "x", 255}), "   42|x  |0xff");
  EXPECT_EQ(FormatText("%d %u", {-1, -1}), "-1 4294967295");  // integers are 32-bit
  EXPECT_EQ(FormatText("lower than 30%%.", {}), "lower than 30%.");
  // The English library writes text 37's percent as "%%", the executable as
  // a lone "%" before ". ": both display "30%. ".
  EXPECT_NE(FormatText(sim::EnglishLibraryText(37), {}).find("lower than 30%. \n"),
            std::string::npos);
  const std::string big(600, 'a');
  EXPECT_EQ(FormatText("%s%s", {big.c_str(), big.c_str()}).size(), core::kFormattedMax);
  EXPECT_EQ(FormatText(std::string(2000, 'b'), {}).size(), core::kFormattedMax);
}

// A stray conversion in a translated text must never read a missing argument.
TEST(FormatText, MismatchedFormatsAreShownAsTheyStand) {
  for (const char* format : {"Text with %s", "trailing %", "lower than 30%. \n"})
    EXPECT_EQ(FormatText(format, {}), format);
  EXPECT_EQ(FormatText("Two %s %s", {"one"}), "Two %s %s");
  EXPECT_EQ(FormatText("No conversion", {"extra"}), "No conversion");
  EXPECT_EQ(FormatText("Name %s", {5}), "Name %s");
  EXPECT_EQ(FormatText("Count %d", {"five"}), "Count %d");
  EXPECT_EQ(FormatText("x%n", {5}), "x%n");
  // Flag and type combinations the C library leaves undefined.
  EXPECT_EQ(FormatText("%#d", {5}), "%#d");
  EXPECT_EQ(FormatText("%05s", {"x"}), "%05s");
  EXPECT_EQ(FormatText("%.2c", {65}), "%.2c");
}

}  // namespace
