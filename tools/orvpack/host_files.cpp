#include "host_files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "os/ascii_case.h"

namespace orvpack {

bool HostFile::Open(const std::string& path, const char* mode) {
  Close();
  file_ = std::fopen(path.c_str(), mode);
  return file_ != nullptr;
}

bool HostFile::CreateNew(const std::string& path) {
  Close();
#ifdef _WIN32
  const int fd =
      _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return false;
  file_ = _fdopen(fd, "wb");
  if (file_ == nullptr) _close(fd);
#else
  // O_EXCL refuses an existing name even when it is a link that leads nowhere.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
  if (fd < 0) return false;
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) close(fd);
#endif
  return file_ != nullptr;
}

bool HostFile::Close() {
  if (file_ == nullptr) return true;
  const bool ok = std::ferror(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok && closed;
}

bool HostFile::ReadExactly(void* buffer, size_t size) {
  return std::fread(buffer, 1, size, file_) == size;
}

bool HostFile::WriteAll(const void* data, size_t size) {
  return std::fwrite(data, 1, size, file_) == size;
}

bool HostFile::Seek(int64_t position) {
#ifdef _WIN32
  return _fseeki64(file_, position, SEEK_SET) == 0;
#else
  return fseeko(file_, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
}

int64_t HostFile::Tell() {
#ifdef _WIN32
  return _ftelli64(file_);
#else
  return ftello(file_);
#endif
}

int64_t HostFile::Size() {
  const int64_t here = Tell();
  if (here < 0) return -1;
#ifdef _WIN32
  const bool atEnd = _fseeki64(file_, 0, SEEK_END) == 0;
#else
  const bool atEnd = fseeko(file_, 0, SEEK_END) == 0;
#endif
  const int64_t size = atEnd ? Tell() : -1;
  return Seek(here) ? size : -1;
}

EntryKind KindOf(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return EntryKind::kMissing;
  if (S_ISREG(st.st_mode)) return EntryKind::kFile;
  if (S_ISDIR(st.st_mode)) return EntryKind::kFolder;
  return EntryKind::kOther;
}

bool EntryExists(const std::string& path) {
#ifdef _WIN32
  // The attributes of a link itself, not of what it leads to.
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
#endif
}

bool ListFolder(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names->push_back(name);
  }
  closedir(dir);
  std::sort(names->begin(), names->end(), [](const std::string& a, const std::string& b) {
    const std::string fa = ascii_case::Folded(a), fb = ascii_case::Folded(b);
    return fa != fb ? fa < fb : a < b;
  });
  return true;
}

bool MakeFolder(const std::string& path) {
#ifdef _WIN32
  return _mkdir(path.c_str()) == 0;
#else
  return mkdir(path.c_str(), 0777) == 0;
#endif
}

bool RemoveFile(const std::string& path) {
#ifdef _WIN32
  return DeleteFileA(path.c_str()) != FALSE;
#else
  return unlink(path.c_str()) == 0;
#endif
}

bool MoveOver(const std::string& from, const std::string& to) {
#ifdef _WIN32
  // The C runtime's rename does not replace an existing entry there; this
  // does, in one step, and leaves the old one when it fails.
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

std::string BaseName(const std::string& path) {
#ifdef _WIN32
  const size_t slash = path.find_last_of("/\\:");
#else
  const size_t slash = path.find_last_of('/');
#endif
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (last == '/' || last == '\\') return folder + name;
  return folder + "/" + name;
}

}  // namespace orvpack
