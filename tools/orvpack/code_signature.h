// The code signature (Authenticode) of a Windows executable: the
// certificate table named by the security entry of the PE data directory.
// Windows hashes the whole file except that table, so a package is signed
// after it is built and its table follows the archive; a table anywhere else
// was made before the archive was appended and no longer matches the file.
#pragma once

#include <cstdint>
#include <string>

#include "host_files.h"

namespace orvpack {

struct CodeSignature {
  int64_t offset = 0;  // of the certificate table; 0 when the file is not signed
  uint32_t size = 0;
  int certificates = 0;  // entries of the table
  std::string fault;     // why Windows would not read the table; empty when it would
};

// Reads the PE headers of `file` (`fileSize` bytes). A file without PE
// headers, or with an empty security entry, is not signed.
CodeSignature ReadCodeSignature(HostFile& file, int64_t fileSize);

// What is wrong with a signature in a package whose archive records end at
// `archiveEnd`; empty when it follows the archive as signing tools place it
// (after at most 7 zero bytes of alignment) and runs to the end of the file.
std::string SignaturePlacementFault(HostFile& file, const CodeSignature& signature,
                                    int64_t archiveEnd, int64_t fileSize);

// "Authenticode signature: 1 certificate entry, 1522 bytes at offset 2480784".
std::string DescribeSignature(const CodeSignature& signature);

}  // namespace orvpack
