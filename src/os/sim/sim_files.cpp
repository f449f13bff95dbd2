#include "os/sim/sim_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "os/ascii_case.h"

namespace sim {
namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool IsDevicePath(const std::string& path) {
  return path.size() >= 4 && (path[0] == '\\' || path[0] == '/') &&
         (path[1] == '\\' || path[1] == '/');
}

std::vector<std::string> ListHost(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  if (!d) return names;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  closedir(d);
  return names;
}

// An entry of exactly this name, a link that leads nowhere included.
bool HostHasEntry(const std::string& p) {
  struct stat st;
  return lstat(p.c_str(), &st) == 0;
}

bool HostIsDir(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class SimFile : public os::File {
 public:
  SimFile(SimFileSystem* fs, std::string key, std::FILE* f, os::Access access, os::Share share)
      : fs_(fs), key_(std::move(key)), file_(f), record_{access, share} {}
  ~SimFile() override {
    std::fclose(file_);
    fs_->Release(key_, &record_);
  }
  const SimFileSystem::OpenRecord* Record() const { return &record_; }
  bool Read(void* buffer, uint32_t size, uint32_t* got) override {
    if (record_.access == os::Access::kWrite) {
      *got = 0;
      return false;
    }
    *got = static_cast<uint32_t>(std::fread(buffer, 1, size, file_));
    return !std::ferror(file_);
  }
  bool Write(const void* data, uint32_t size, uint32_t* written) override {
    if (record_.access == os::Access::kRead) {
      *written = 0;
      return false;
    }
    *written = static_cast<uint32_t>(std::fwrite(data, 1, size, file_));
    std::fflush(file_);
    return *written == size;
  }
  bool SeekTo(int64_t position) override {
    return position >= 0 && fseeko(file_, static_cast<off_t>(position), SEEK_SET) == 0;
  }
  bool SeekToEnd() override { return fseeko(file_, 0, SEEK_END) == 0; }
  bool Size(uint64_t* size) override {
    struct stat st;
    if (fstat(fileno(file_), &st) != 0) return false;
    *size = static_cast<uint64_t>(st.st_size);
    return true;
  }

 private:
  SimFileSystem* fs_;
  std::string key_;
  std::FILE* file_;
  SimFileSystem::OpenRecord record_;
};

bool ShareAllows(os::Share share, os::Access access) {
  switch (share) {
    case os::Share::kNone:
      return false;
    case os::Share::kRead:
      return access == os::Access::kRead;
    case os::Share::kReadWrite:
      return true;
  }
  return false;
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*" || pattern == "*") return true;
  // Iterative match with backtracking on the last star.
  size_t p = 0, n = 0, star = std::string::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || ascii_case::SameLetter(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

SimFileSystem::SimFileSystem(std::string hostRoot) : root_(std::move(hostRoot)), current_("C:\\") {
  mkdir(root_.c_str(), 0755);
  mkdir((root_ + "/C").c_str(), 0755);
}

std::string SimFileSystem::FullPath(const std::string& path) const {
  std::string drive;
  std::vector<std::string> parts;
  if (path.size() >= 2 && path[1] == ':') {
    drive = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
    parts = Split(path.substr(2));
  } else {
    drive = current_.substr(0, 1);
    std::vector<std::string> base = Split(current_.substr(2));
    std::vector<std::string> rel = Split(path);
    if (!path.empty() && (path[0] == '\\' || path[0] == '/')) base.clear();
    parts = base;
    parts.insert(parts.end(), rel.begin(), rel.end());
  }
  std::vector<std::string> clean;
  for (const std::string& p : parts) {
    if (p == ".") continue;
    if (p == "..") {
      if (!clean.empty()) clean.pop_back();
      continue;
    }
    clean.push_back(p);
  }
  std::string full = drive + ":";
  if (clean.empty()) return full + "\\";
  for (const std::string& p : clean) full += "\\" + p;
  return full;
}

std::string SimFileSystem::HostFor(const std::string& fullPath, bool* exists) {
  std::string host = root_ + "/" + fullPath.substr(0, 1);
  bool found = HostIsDir(host);
  for (const std::string& part : Split(fullPath.substr(2))) {
    std::string chosen = part;
    // The name as written is the common case; only another letter case
    // needs the folder's listing. The simulated disk never holds two names
    // that differ only in case, so both ways find the same entry.
    const bool plain = part != "." && part != "..";
    if (found && plain && HostHasEntry(host + "/" + part)) {
      host += "/" + part;
      continue;
    }
    if (found) {
      bool match = false;
      for (const std::string& entry : ListHost(host)) {
        if (ascii_case::Same(entry, part)) {
          chosen = entry;
          match = true;
          break;
        }
      }
      found = match;
    }
    host += "/" + chosen;
  }
  if (exists) *exists = found;
  return host;
}

std::string SimFileSystem::Key(const std::string& fullPath) const {
  std::string key = fullPath;
  for (char& c : key) c = Lower(c);
  return key;
}

std::string SimFileSystem::HostPath(const std::string& path) {
  return HostFor(FullPath(path), nullptr);
}

bool SimFileSystem::Exists(const std::string& path) {
  bool exists = false;
  HostFor(FullPath(path), &exists);
  return exists;
}

bool SimFileSystem::IsDirectory(const std::string& path) {
  bool exists = false;
  std::string host = HostFor(FullPath(path), &exists);
  return exists && HostIsDir(host);
}

void SimFileSystem::Release(const std::string& key, const OpenRecord* record) {
  auto range = open_.equal_range(key);
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second == record) {
      open_.erase(it);
      return;
    }
  }
}

os::FileHandle SimFileSystem::Open(const std::string& path, os::Access access,
                                   os::Disposition disposition, os::Share share, uint32_t* error) {
  uint32_t ignored = 0;
  uint32_t& err = error ? *error : ignored;
  err = os::error::kNone;
  if (path.empty() || IsDevicePath(path)) {
    err = os::error::kFileNotFound;
    return nullptr;
  }
  const std::string full = FullPath(path);
  const std::string key = Key(full);
  bool exists = false;
  const std::string host = HostFor(full, &exists);
  const std::string parent = host.substr(0, host.rfind('/'));
  if (!HostIsDir(parent)) {
    err = os::error::kPathNotFound;
    return nullptr;
  }
  if (exists && HostIsDir(host)) {
    err = os::error::kAccessDenied;
    return nullptr;
  }
  if (disposition == os::Disposition::kOpenExisting && !exists) {
    err = os::error::kFileNotFound;
    return nullptr;
  }
  const bool writes = access != os::Access::kRead;
  if (locked_.count(key) && (writes || disposition == os::Disposition::kCreateAlways)) {
    err = os::error::kSharingViolation;
    return nullptr;
  }
  auto range = open_.equal_range(key);
  for (auto it = range.first; it != range.second; ++it) {
    const OpenRecord* other = it->second;
    if (!ShareAllows(other->share, access) || !ShareAllows(share, other->access)) {
      err = os::error::kSharingViolation;
      return nullptr;
    }
  }
  const char* mode = "rb";
  if (disposition == os::Disposition::kCreateAlways)
    mode = access == os::Access::kWrite ? "wb" : "w+b";
  else if (access != os::Access::kRead)
    mode = "r+b";
  if (disposition == os::Disposition::kOpenAlways && !exists) {
    std::FILE* create = std::fopen(host.c_str(), "wb");
    if (!create) {
      err = os::error::kAccessDenied;
      return nullptr;
    }
    std::fclose(create);
  }
  std::FILE* f = std::fopen(host.c_str(), mode);
  if (!f) {
    err = os::error::kAccessDenied;
    return nullptr;
  }
  auto file = std::make_unique<SimFile>(this, key, f, access, share);
  open_.emplace(key, file->Record());
  return file;
}

bool SimFileSystem::Remove(const std::string& path) {
  const std::string full = FullPath(path);
  bool exists = false;
  const std::string host = HostFor(full, &exists);
  if (!exists || HostIsDir(host)) return false;
  if (locked_.count(Key(full)) || open_.count(Key(full))) return false;
  return std::remove(host.c_str()) == 0;
}

bool SimFileSystem::Rename(const std::string& from, const std::string& to) {
  bool fromExists = false, toExists = false;
  const std::string fullFrom = FullPath(from);
  const std::string hostFrom = HostFor(fullFrom, &fromExists);
  const std::string hostTo = HostFor(FullPath(to), &toExists);
  if (!fromExists || toExists || locked_.count(Key(fullFrom)) || open_.count(Key(fullFrom)))
    return false;
  return std::rename(hostFrom.c_str(), hostTo.c_str()) == 0;
}

bool SimFileSystem::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  std::string content;
  if (!Get(from, &content)) return false;
  bool toExists = false;
  const std::string fullTo = FullPath(to);
  const std::string hostTo = HostFor(fullTo, &toExists);
  if (toExists && (failIfExists || locked_.count(Key(fullTo)) || open_.count(Key(fullTo))))
    return false;
  std::ofstream out(hostTo, std::ios::binary | std::ios::trunc);
  out << content;
  return static_cast<bool>(out);
}

bool SimFileSystem::MakeDirectory(const std::string& path) {
  bool exists = false;
  const std::string host = HostFor(FullPath(path), &exists);
  if (exists) return false;
  return mkdir(host.c_str(), 0755) == 0;
}

bool SimFileSystem::ChangeDirectory(const std::string& path) {
  if (path.empty()) return false;
  const std::string full = FullPath(path);
  bool exists = false;
  const std::string host = HostFor(full, &exists);
  if (!exists || !HostIsDir(host)) return false;
  current_ = full;
  return true;
}

bool SimFileSystem::Enumerate(const std::string& pattern, std::vector<std::string>* names) {
  names->clear();
  const size_t slash = pattern.find_last_of("\\/");
  const std::string dir = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
  const std::string wild = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  const std::string full = FullPath(dir);
  bool exists = false;
  const std::string host = HostFor(full, &exists);
  if (!exists || !HostIsDir(host)) return false;
  std::vector<std::string> entries = ListHost(host);
  std::sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
  });
  if (full.size() > 3) entries.insert(entries.begin(), {".", ".."});  // not at a drive root
  for (const std::string& e : entries)
    if (WildcardMatch(wild, e)) names->push_back(e);
  return true;
}

os::EntryKind SimFileSystem::KindOf(const std::string& path) {
  bool exists = false;
  const std::string host = HostFor(FullPath(path), &exists);
  struct stat st;
  if (!exists || lstat(host.c_str(), &st) != 0) return os::EntryKind::kMissing;
  if (S_ISLNK(st.st_mode)) return os::EntryKind::kReparsePoint;
  return S_ISDIR(st.st_mode) ? os::EntryKind::kDirectory : os::EntryKind::kOther;
}

bool SimFileSystem::FreeBytesAvailable(const std::string& directory, uint64_t* bytes) {
  // Stricter than Windows on local paths: a name without its backslash is refused, as the system
  // refuses it for network paths.
  if (freeQueryFails_ || !directory.ends_with('\\') || !IsDirectory(directory)) return false;
  *bytes = freeBytes_;
  return true;
}

void SimFileSystem::SetFreeBytes(uint64_t bytes, bool queryFails) {
  freeBytes_ = bytes;
  freeQueryFails_ = queryFails;
}

void SimFileSystem::Lock(const std::string& path) {
  locked_.insert(Key(FullPath(path)));
}
void SimFileSystem::Unlock(const std::string& path) {
  locked_.erase(Key(FullPath(path)));
}

bool SimFileSystem::MakeLink(const std::string& path, const std::string& target) {
  const std::string full = FullPath(path);
  MakeDirectories(full.substr(0, full.rfind('\\')));
  return symlink(HostFor(FullPath(target), nullptr).c_str(), HostFor(full, nullptr).c_str()) == 0;
}

void SimFileSystem::MakeDirectories(const std::string& path) {
  const std::string full = FullPath(path);
  std::string sub = full.substr(0, 2);
  mkdir((root_ + "/" + sub.substr(0, 1)).c_str(), 0755);
  for (const std::string& part : Split(full.substr(2))) {
    sub += "\\" + part;
    bool exists = false;
    const std::string host = HostFor(sub, &exists);
    if (!exists) mkdir(host.c_str(), 0755);
  }
}

bool SimFileSystem::Put(const std::string& path, const std::string& content) {
  const std::string full = FullPath(path);
  MakeDirectories(full.substr(0, full.rfind('\\')));
  std::ofstream out(HostFor(full, nullptr), std::ios::binary | std::ios::trunc);
  out << content;
  return static_cast<bool>(out);
}

bool SimFileSystem::Get(const std::string& path, std::string* content) {
  bool exists = false;
  const std::string host = HostFor(FullPath(path), &exists);
  if (!exists || HostIsDir(host)) return false;
  std::ifstream in(host, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  *content = s.str();
  return true;
}

}  // namespace sim
