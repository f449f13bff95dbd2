// The little of the host's file system the tool needs, the same on Linux and
// on Windows (names are passed through as bytes, in the ANSI code page there).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace orvpack {

// An open C stream, closed when it goes out of scope.
class HostFile {
 public:
  HostFile() = default;
  explicit HostFile(std::FILE* file) : file_(file) {}
  ~HostFile() { Close(); }
  HostFile(const HostFile&) = delete;
  HostFile& operator=(const HostFile&) = delete;

  bool Open(const std::string& path, const char* mode);
  // Creates `path` for writing; fails when anything of that name exists, a
  // symbolic link included, so that nothing is ever written through one.
  bool CreateNew(const std::string& path);
  // False when the stream reported an error, including on its final flush.
  bool Close();
  std::FILE* get() const { return file_; }
  explicit operator bool() const { return file_ != nullptr; }

  bool ReadExactly(void* buffer, size_t size);
  bool WriteAll(const void* data, size_t size);
  bool Seek(int64_t position);
  int64_t Tell();
  int64_t Size();  // -1 when it cannot be had

 private:
  std::FILE* file_ = nullptr;
};

enum class EntryKind { kMissing, kFile, kFolder, kOther };
// What `path` leads to (a symbolic link is followed).
EntryKind KindOf(const std::string& path);
// Whether anything has the name `path`, a symbolic link that leads nowhere too.
bool EntryExists(const std::string& path);

// Names of the entries of `folder` other than "." and "..", sorted without
// regard to ASCII letter case. False when the folder cannot be read.
bool ListFolder(const std::string& folder, std::vector<std::string>* names);

bool MakeFolder(const std::string& path);
// Removes a file; never a folder.
bool RemoveFile(const std::string& path);
// Renames `from` to `to`, replacing the entry `to` when it exists (a link
// itself, not what it leads to); the old entry stays when it fails.
bool MoveOver(const std::string& from, const std::string& to);

// The part of `path` after its last slash (or backslash on Windows).
std::string BaseName(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace orvpack
