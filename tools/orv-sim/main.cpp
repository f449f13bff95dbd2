#include <cstdio>
#include <cstring>
#include <string>

#include "runner.h"

namespace {

void Usage() {
  std::puts(
      "usage: orv-sim run [--profile FILE] [--package FILE] [--scratch DIR] [-- OPTION...]\n"
      "       orv-sim options [--ami] [--64] [-- OPTION...]\n"
      "       orv-sim messages\n"
      "\n"
      "run       runs the update on a simulated notebook (machine profile: docs/profile.md)\n"
      "          and prints the transcript (docs/transcript.md)\n"
      "options   shows how a command line is parsed: UpdateFlags and both utility command lines\n"
      "messages  shows the message box every result code gets");
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
