#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "flags_word.h"
#include "image_report.h"
#include "matrix.h"
#include "runner.h"

namespace {

void Usage() {
  std::puts(
      "usage: orv-sim run [--profile FILE] [--package FILE] [--scratch DIR] [-- OPTION...]\n"
      "       orv-sim matrix --package FILE [--profiles DIR] [-- OPTION...]\n"
      "       orv-sim options [--ami] [--64] [-- OPTION...]\n"
      "       orv-sim messages\n"
      "       orv-sim identity --profile FILE [--diag]\n"
      "       orv-sim image FILE [--patch FLAGS] [--kept N]\n"
      "\n"
      "run       runs the update on a simulated notebook (machine profile: docs/profile.md)\n"
      "          and prints the transcript (docs/transcript.md)\n"
      "matrix    runs the package on every profile of DIR (default: the documented profiles)\n"
      "          with the options; one line per machine: ending, exit code, message, command\n"
      "          lines of the flash and MICOM tools\n"
      "options   shows how a command line is parsed: UpdateFlags and both utility command lines\n"
      "messages  shows the message box every result code gets\n"
      "identity  what the updater reads of the notebook's firmware (--diag: with UseDiagRecord)\n"
      "image     what the updater reads from an image file; --patch FLAGS (names joined by '|'\n"
      "          or a number) and --kept N show what the flash-area patch would change");
}

std::string JoinRest(int argc, char** argv, int from) {
  std::string line;
  for (int i = from; i < argc; ++i) {
    if (!line.empty()) line += ' ';
    line += argv[i];
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    Usage();
    return argc < 2 ? 2 : 0;
  }
  const std::string command = argv[1];
  if (command == "messages") return orvsim::ShowResultMessages();
  if (command == "options") {
    bool ami = false, wide = false;
    int i = 2;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
      if (!std::strcmp(argv[i], "--ami"))
        ami = true;
      else if (!std::strcmp(argv[i], "--64"))
        wide = true;
      else
        return Usage(), 2;
    }
    return orvsim::ShowOptions(JoinRest(argc, argv, i + 1), ami, wide);
  }
  if (command == "identity") {
    std::string profile;
    bool diag = false;
    for (int i = 2; i < argc; ++i) {
      if (!std::strcmp(argv[i], "--diag"))
        diag = true;
      else if (!std::strcmp(argv[i], "--profile") && i + 1 < argc)
        profile = argv[++i];
      else
        return Usage(), 2;
    }
    if (profile.empty()) return Usage(), 2;
    return orvsim::ShowIdentity(profile, diag);
  }
  if (command == "image") {
    orvsim::ImageRequest request;
    for (int i = 2; i < argc; ++i) {
      const std::string option = argv[i];
      if (option == "--patch" && i + 1 < argc) {
        std::string error;
        if (!orvpack::ParseFlagsWord(argv[++i], &request.flags, &error)) {
          std::fprintf(stderr, "orv-sim: %s\n", error.c_str());
          return 2;
        }
        request.patch = true;
      } else if (option == "--kept" && i + 1 < argc) {
        request.keptArea = static_cast<uint8_t>(std::strtoul(argv[++i], nullptr, 0));
      } else if (request.path.empty() && option[0] != '-') {
        request.path = option;
      } else {
        return Usage(), 2;
      }
    }
    if (request.path.empty()) return Usage(), 2;
    return orvsim::ShowImage(request);
  }
  if (command == "matrix") {
    orvsim::MatrixRequest request;
    int i = 2;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
      const std::string option = argv[i];
      if (i + 1 >= argc) return Usage(), 2;
      if (option == "--package")
        request.packagePath = argv[++i];
      else if (option == "--profiles")
        request.profilesFolder = argv[++i];
      else
        return Usage(), 2;
    }
    if (request.packagePath.empty()) return Usage(), 2;
    request.commandLine = JoinRest(argc, argv, i + 1);
    return orvsim::RunMatrix(request);
  }
  if (command == "run") {
    orvsim::RunRequest request;
    int i = 2;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
      const std::string option = argv[i];
      if (i + 1 >= argc) return Usage(), 2;
      if (option == "--profile")
        request.profilePath = argv[++i];
      else if (option == "--package")
        request.packagePath = argv[++i];
      else if (option == "--scratch")
        request.scratch = argv[++i];
      else
        return Usage(), 2;
    }
    request.commandLine = JoinRest(argc, argv, i + 1);
    return orvsim::RunUpdateOnNotebook(request);
  }
  Usage();
  return 2;
}
