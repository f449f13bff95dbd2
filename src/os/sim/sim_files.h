// The simulated notebook's disks: a case-insensitive Windows file system kept
// in a host scratch folder ("C:\Temp\a.txt" lives at <root>/C/Temp/a.txt).
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "os/os.h"

namespace sim {

class SimFileSystem : public os::FileSystem {
 public:
  explicit SimFileSystem(std::string hostRoot);

  os::FileHandle Open(const std::string& path, os::Access access, os::Disposition disposition,
                      os::Share share, uint32_t* error) override;
  bool Remove(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool Copy(const std::string& from, const std::string& to, bool failIfExists) override;
  bool MakeDirectory(const std::string& path) override;
  bool ChangeDirectory(const std::string& path) override;
  std::string CurrentDirectory() override { return current_; }
  bool Enumerate(const std::string& pattern, std::vector<std::string>* names) override;
  os::EntryKind KindOf(const std::string& path) override;
  bool FreeBytesAvailable(const std::string& directory, uint64_t* bytes) override;
  std::string HostPath(const std::string& path) override;

  // Simulation controls.
  void SetFreeBytes(uint64_t bytes, bool queryFails);
  // A file another process holds (a running driver, say): it cannot be written, replaced or
  // removed.
  void Lock(const std::string& path);
  void Unlock(const std::string& path);
  // A reparse point at `path` that leads to the directory `target` (a host symbolic link).
  bool MakeLink(const std::string& path, const std::string& target);
  // Full Windows path ("C:\A\B") of `path` taken relative to the current directory.
  std::string FullPath(const std::string& path) const;
  bool Exists(const std::string& path);
  bool IsDirectory(const std::string& path);
  // Creates a directory and every missing parent, for set-up.
  void MakeDirectories(const std::string& path);
  // Writes a whole file (creating directories on the way), for set-up.
  bool Put(const std::string& path, const std::string& content);
  bool Get(const std::string& path, std::string* content);
  const std::string& Root() const { return root_; }

  // Bookkeeping of open handles for the Win32 sharing rules.
  struct OpenRecord {
    os::Access access;
    os::Share share;
  };
  void Release(const std::string& key, const OpenRecord* record);

 private:
  std::string HostFor(const std::string& fullPath, bool* exists);
  std::string Key(const std::string& fullPath) const;

  std::string root_;
  std::string current_;
  uint64_t freeBytes_ = 4ull << 30;
  bool freeQueryFails_ = false;
  std::set<std::string> locked_;
  std::multimap<std::string, const OpenRecord*> open_;
};

// Windows wildcard match ("*", "?"), without regard to letter case; "*.*"
// matches every name, as on Windows.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace sim
