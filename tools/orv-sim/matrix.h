// The dry run of a package over machine profiles: the whole update on each
// profile's notebook, one line per machine.
#pragma once

#include <string>

namespace orvsim {

struct MatrixRequest {
  std::string packagePath;
  std::string profilesFolder;  // empty: the documented profiles
  std::string commandLine;     // the options every run gets
};

// Prints a heading and one tab-separated line per profile (*.json, in name
// order). Returns 0 when every profile ran, 1 when one could not be loaded,
// 2 when the package or the profiles folder cannot be read.
int RunMatrix(const MatrixRequest& request);

}  // namespace orvsim
