#include "core/format.h"

#include <gtest/gtest.h>

#include "os/sim/string_tables.h"

namespace {

using core::FormatText;

TEST(FormatText, FormatsMatchingArguments) {
  EXPECT_EQ(FormatText("DeleteDirectoryFile : %s is Deleted", {"a.bin"}),
            "DeleteDirectoryFile : a.bin is Deleted");
  EXPECT_EQ(FormatText("Remaining: %ldMbytes Required: %dMbytes", {1, 2}),
            "Remaining: 1Mbytes Required: 2Mbytes");
  EXPECT_EQ(FormatText("Find Window : %X", {0x1A2B}), "Find Window : 1A2B");
  EXPECT_EQ(FormatText("%5d|%-3s|", {42, "x"}), "   42|x  |");
  // Integers are 32-bit, as on Windows.
  EXPECT_EQ(FormatText("%d %u", {-1, -1}), "-1 4294967295");
}

TEST(FormatText, PercentPairsBecomeOnePercent) {
  EXPECT_EQ(FormatText("lower than 30%%.", {}), "lower than 30%.");
}

TEST(FormatText, MismatchedFormatsAreShownAsTheyStand) {
  // A stray conversion in a translated text must never read a missing argument.
  EXPECT_EQ(FormatText("Text with %s", {}), "Text with %s");
  EXPECT_EQ(FormatText("Two %s %s", {"one"}), "Two %s %s");
  // An argument the text has no conversion for.
  EXPECT_EQ(FormatText("No conversion", {"extra"}), "No conversion");
  // A number where a string is expected, and the reverse.
  EXPECT_EQ(FormatText("Name %s", {5}), "Name %s");
  EXPECT_EQ(FormatText("Count %d", {"five"}), "Count %d");
  // "%n" is never honoured.
  EXPECT_EQ(FormatText("x%n", {5}), "x%n");
  EXPECT_EQ(FormatText("trailing %", {}), "trailing %");
  // Flag and type combinations the C library leaves undefined.
  EXPECT_EQ(FormatText("%#d", {5}), "%#d");
  EXPECT_EQ(FormatText("%05s", {"x"}), "%05s");
  EXPECT_EQ(FormatText("%.2c", {65}), "%.2c");
  EXPECT_EQ(FormatText("%#x", {255}), "0xff");
}

TEST(FormatText, LonePercentBeforeDotIsText) {
  EXPECT_EQ(FormatText("lower than 30%. \n", {}), "lower than 30%. \n");
}

TEST(FormatText, PowerTextsDisplayThirtyPercent) {
  const std::string text35 = FormatText(sim::ExecutableText(35), {});
  const std::string text37 = FormatText(sim::ExecutableText(37), {});
  EXPECT_NE(text35.find("lower than 30%.\n"), std::string::npos) << text35;
  EXPECT_EQ(text35.find("%%"), std::string::npos);
  EXPECT_NE(text37.find("lower than 30%. \n"), std::string::npos) << text37;
  // The English library writes both with "%%"; they display the same way.
  EXPECT_NE(FormatText(sim::EnglishLibraryText(37), {}).find("lower than 30%. \n"),
            std::string::npos);
}

TEST(FormatText, ModelMismatchTextTakesFourStrings) {
  const std::string text =
      FormatText(sim::ExecutableText(21), {"NP300", "P05ABC", "NP900", "P07XYZ"});
  EXPECT_NE(text.find("Current Model (BIOS Part Number) : NP300(P05ABC)"), std::string::npos)
      << text;
  EXPECT_NE(text.find("New Model (BIOS Part Number) : NP900(P07XYZ)"), std::string::npos) << text;
}

TEST(FormatText, CutsAt1023Characters) {
  const std::string big(600, 'a');
  const std::string text = FormatText("%s%s", {big.c_str(), big.c_str()});
  EXPECT_EQ(text.size(), core::kFormattedMax);
  EXPECT_EQ(FormatText(std::string(2000, 'b'), {}).size(), core::kFormattedMax);
}

}  // namespace
