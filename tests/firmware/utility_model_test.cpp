// The outside utilities' model that the simulated notebook and the
// substitute programs share: how Windows reads a command line, the image
// check, "newSys.bin", the script record and the files a utility leaves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/little_endian.h"
#include "os/sim/utilities/behaviour.h"
#include "os/sim/utilities/command_line.h"
#include "os/sim/utilities/script.h"
#include "os/sim/utility_profile.h"
#include "support/image_files.h"
#include "support/sim_fixture.h"

namespace {

std::vector<std::string> Candidates(const std::string& line) {
  utilities::Span spans[utilities::kMaxProgramCandidates];
  const uint32_t n =
      utilities::ProgramCandidates(line.c_str(), spans, utilities::kMaxProgramCandidates);
  std::vector<std::string> names;
  for (uint32_t i = 0; i < n; ++i) names.push_back(line.substr(spans[i].start, spans[i].length));
  return names;
}

std::vector<std::string> Arguments(const std::string& line) {
  std::vector<std::string> arguments;
  char text[64];
  for (uint32_t i = 1; utilities::Argument(line.c_str(), i, text, sizeof text); ++i)
    arguments.push_back(text);
  return arguments;
}

TEST(CommandLine, TheProgramIsFoundAsCreateProcessFindsIt) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Candidates("\"C:\\A B\\tool\" x.wph /P"), V{"C:\\A B\\tool"});
  EXPECT_EQ(Candidates("C:\\A B\\tool x"), (V{"C:\\A", "C:\\A B\\tool", "C:\\A B\\tool x"}));
  EXPECT_EQ(Candidates("tool  x\ty"), (V{"tool", "tool  x", "tool  x\ty"}));
  EXPECT_EQ(Candidates("\"C:\\open ended"), V{"C:\\open ended"});
  EXPECT_EQ(Candidates("\"\" x"), V{});
}

// The C runtime's rules, with the examples of its documentation.
TEST(CommandLine, ArgumentsSplitAsTheCRuntimeSplitsThem) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Arguments("\"C:\\A B\\tool\" bios.wph /P"), (V{"bios.wph", "/P"}));
  EXPECT_EQ(Arguments("p \"a b c\" d e"), (V{"a b c", "d", "e"}));
  EXPECT_EQ(Arguments("p \"ab\\\"c\" \"\\\\\" d"), (V{"ab\"c", "\\", "d"}));
  EXPECT_EQ(Arguments("p a\\\\\\b d\"e f\"g h"), (V{"a\\\\\\b", "de fg", "h"}));
  EXPECT_EQ(Arguments("p a\\\\\\\"b c d"), (V{"a\\\"b", "c", "d"}));
  EXPECT_EQ(Arguments("p a\\\\\\\\\"b c\" d e"), (V{"a\\\\b c", "d", "e"}));
  EXPECT_EQ(Arguments("p a\"b\"\" c d"), (V{"ab\"", "c", "d"}));
  char small[4];
  EXPECT_FALSE(utilities::Argument("p long", 1, small, sizeof small));
  EXPECT_TRUE(utilities::Argument("p abc", 1, small, sizeof small));
}

struct ImageCase {
  const char* name;
  std::string image;
  int32_t entries;
};

TEST(ImageCheck, TheFlashAreaTableMustBeReadableWithinTheFile) {
  using image_test::PhoenixImage;
  std::string noQds = PhoenixImage(0x90000, 0x80010, 2);
  noQds.replace(0x80110, 4, "XXXX");
  std::string below = PhoenixImage(0x180000, 0x80010, 2);  // 1.5 MiB: searched from 1 MiB
  std::string cut(0x80040, '\xA5');                        // the header's 61 bytes run past the end
  cut.replace(0x80000, 4, "ZQDS");
  cut.replace(0x80010, 5, "ZFLPF");
  std::string past = PhoenixImage(0x90000, 0x80010, 2);
  little_endian::Store32(reinterpret_cast<uint8_t*>(past.data()) + 0x80010 + 53, 0x10000);
  const ImageCase cases[] = {
      {"three entries", PhoenixImage(0x90000, 0x80010, 3), 3},
      {"large image", PhoenixImage(0x180000, 0x100020, 9), 9},
      {"terminator first", PhoenixImage(0x90000, 0x80010, 0), 0},
      {"no ZQDS", noQds, -1},
      {"markers below the search", below, -1},
      {"header cut by the end", cut, -1},
      {"no terminator", PhoenixImage(0x80200, 0x80010, 3, false), -1},
      {"table past the end", past, -1},
      {"too small", std::string(16, 'Z'), -1},
  };
  for (const ImageCase& c : cases) {
    EXPECT_EQ(utilities::FlashAreaEntries(reinterpret_cast<const uint8_t*>(c.image.data()),
                                          static_cast<uint32_t>(c.image.size())),
              c.entries)
        << c.name;
  }
}

TEST(NewSystemFile, BlocksLieWhereTheUpdaterLooksForThem) {
  utilities::NewSystemFile file;
  file.size = 0x80000;
  file.bcpSysWord = 0xB123;
  std::copy_n("NP9X", 4, file.model);
  std::copy_n("ABC", 3, file.part);
  std::vector<uint8_t> out(file.size);
  utilities::BuildNewSystemFile(file, out.data());
  const std::string text(out.begin(), out.end());
  EXPECT_EQ(text.substr(utilities::kDiagBlock, 5), "DiaG@");
  EXPECT_EQ(text.substr(utilities::kDiagBlock + 12, 4), "NP9X");
  EXPECT_EQ(text.substr(utilities::kDevelBlock, 8), "DEVELABC");
  EXPECT_EQ(text.substr(utilities::kBcpDmiBlock, 6), "BCPDMI");
  EXPECT_EQ(text.substr(utilities::kBcpSysBlock, 6), "BCPSYS");
  EXPECT_EQ(little_endian::Load16(out.data() + utilities::kBcpSysBlock + 105), 0xB123);
  EXPECT_EQ(out[utilities::kBcpSysBlock + 107], 0xFF);

  // Blocks left out, or that do not fit, are not written at all.
  file.blocks = utilities::NewSystemFile::kDiag | utilities::NewSystemFile::kBcpSys;
  file.size = utilities::kBcpSysBlock + 100;
  out.assign(file.size, 0);
  utilities::BuildNewSystemFile(file, out.data());
  EXPECT_EQ(std::string(out.begin(), out.end()).find("DEVEL"), std::string::npos);
  EXPECT_EQ(out[utilities::kBcpSysBlock], 0xFF);
}

TEST(Script, AProfileEntryComesBackWhole) {
  const nlohmann::json profile = nlohmann::json::parse(R"({"utilities": {"swinflash": {
      "exitCode": -109, "fileErrorExitCode": "0x7", "windowMillis": 40,
      "newSys": {"model": "NP9X", "part": "ABC", "bcpsys": "0x9000", "size": 65536,
                 "blocks": ["DiaG@", "BCPSYS"]},
      "leaves": {"PHLASH.LOG": "", "b.txt": "ok"}}}})");
  const sim::UtilitySetup setup = sim::ReadUtilitySetup(profile, "SWinFlash");
  utilities::Script s;
  ASSERT_TRUE(
      utilities::DecodeScript(setup.script.data(), static_cast<uint32_t>(setup.script.size()), &s));
  EXPECT_EQ(s.exitCode, -109);
  EXPECT_EQ(s.fileErrorExitCode, 7);
  EXPECT_EQ(s.windowMillis, 40u);
  ASSERT_TRUE(s.leavesNewSystemFile);
  EXPECT_EQ(s.newSystemFile.size, 65536u);
  EXPECT_EQ(s.newSystemFile.bcpSysWord, 0x9000);
  EXPECT_EQ(s.newSystemFile.blocks,
            utilities::NewSystemFile::kDiag | utilities::NewSystemFile::kBcpSys);
  EXPECT_EQ(std::string(s.newSystemFile.model, 4), "NP9X");
  EXPECT_EQ(std::string(s.newSystemFile.part, 3), "ABC");
  std::vector<std::string> leaves;
  uint32_t cursor = 0;
  utilities::Leaf leaf;
  while (utilities::NextLeaf(s, &cursor, &leaf))
    leaves.push_back(std::string(leaf.name) + "=" +
                     std::string(reinterpret_cast<const char*>(leaf.content), leaf.contentSize));
  EXPECT_EQ(leaves, (std::vector<std::string>{"PHLASH.LOG=", "b.txt=ok"}));

  // A record cut inside a leaf is refused whole.
  for (size_t cut : {setup.script.size() - 1, size_t{utilities::kScriptHeaderSize} + 3, size_t{10}})
    EXPECT_FALSE(utilities::DecodeScript(setup.script.data(), static_cast<uint32_t>(cut), &s))
        << cut;
  EXPECT_THROW(
      sim::ReadUtilitySetup(
          nlohmann::json::parse(R"({"utilities": {"x": {"newSys": {"model": "TOOLONG"}}}})"), "x"),
      std::runtime_error);
}

class UtilityRun : public testing_support::SimTest {};

// What a utility leaves is in its working directory, whatever is current.
TEST_F(UtilityRun, TheFilesItLeavesLandInItsWorkingDirectory) {
  Boot(R"({"utilities": {"SWinFlash": {"exitCode": -120, "fileErrorExitCode": 5,
           "newSys": {"model": "NP9X", "part": "ABC", "size": 65536},
           "leaves": {"PHLASH.LOG": "refused"}}}})");
  ASSERT_TRUE(files().Put("C:\\Work\\SWinFlash.exe", "MZ"));
  const os::ProcessOutcome outcome =
      os::Os().processes->RunAndWait("\"C:\\Work\\SWinFlash\" bios.wph /P", "C:\\Work");
  EXPECT_EQ(outcome.ending, os::ProcessOutcome::Ending::kExited);
  EXPECT_EQ(outcome.exitCode, 5u);  // no bios.wph: the file error's code
  std::string newSys, log;
  ASSERT_TRUE(files().Get("C:\\Work\\newSys.bin", &newSys));
  EXPECT_EQ(newSys.size(), 65536u);
  EXPECT_EQ(newSys.substr(utilities::kDevelBlock, 8), "DEVELABC");
  ASSERT_TRUE(files().Get("C:\\Work\\PHLASH.LOG", &log));
  EXPECT_EQ(log, "refused");
  EXPECT_FALSE(files().Exists("C:\\Update\\newSys.bin"));
  const std::vector<std::string> lines = transcript().Of("utility");
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
            (std::vector<std::string>{
                "SWinFlash: bios.wph: not found",
                "SWinFlash: window \"Phoenix Secure WinFlash\" shown until the end",
                "SWinFlash: left newSys.bin", "SWinFlash: left PHLASH.LOG", "SWinFlash: exit 5"}));
  // A working directory that does not exist: nothing starts.
  EXPECT_EQ(os::Os().processes->RunAndWait("\"C:\\Work\\SWinFlash\" x", "C:\\Gone").error,
            os::error::kDirectoryInvalid);
}

}  // namespace
