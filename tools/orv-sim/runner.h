// Runs pieces of the updater on a simulated notebook and prints what happened.
#pragma once

#include <string>
#include <vector>

namespace orvsim {

struct RunRequest {
  std::string profilePath;  // empty: the built-in default notebook
  std::string packagePath;  // copied to the profile's module path
  std::string scratch;      // host folder for the notebook's disks; empty: a temporary one
  std::string commandLine;
};

// The whole update run; prints the transcript and the final state; returns
// the run's exit code (0 to 255 for the shell, the full value is printed).
int RunUpdateOnNotebook(const RunRequest& request);

// Parses a command line as the Phoenix (or AMI) path would and prints the
// flags, both utility command lines and the message of a refusal.
int ShowOptions(const std::string& commandLine, bool amiPath, bool sixtyFourBit);

// Prints the message every result code gets from the reporter.
int ShowResultMessages();

// Reads the firmware identity of the profile's notebook as the updater
// would (with UseDiagRecord when `diag`) and prints it with the number of
// driver requests it took.
int ShowIdentity(const std::string& profilePath, bool diag);

}  // namespace orvsim
