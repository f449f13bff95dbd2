// Decompression of one extracted member through zlib's gzip file interface.
#pragma once

#include <string>

namespace package {

// Decompresses the member copied to the current directory under its stored
// name: "X.gz" becomes "X" and the compressed copy is deleted. A stored name
// without the ".gz" suffix is read from "<name>.gz", which extraction never
// writes, so the process ends. Data that is not gzip is copied unchanged
// (the gzip reader's transparent mode).
//
// Returns only on success. Any failure (input missing, output not created,
// damaged data, CRC-32 or length mismatch, short write, failed close) writes
// a diagnostic line, deletes the incomplete output and ends the process with
// exit status 1.
void GunzipMember(const std::string& name);

}  // namespace package
