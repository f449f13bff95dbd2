// Files and directories through the ANSI file API. Only functions that
// Windows 95 already has are imported; GetDiskFreeSpaceExA is looked up.
#include <windows.h>

#include "os/win32/kernel32_lookup.h"
#include "os/win32/win32_parts.h"

namespace win32 {
namespace {

class Win32File : public os::File {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { CloseHandle(handle_); }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  bool Read(void* buffer, uint32_t size, uint32_t* got) override {
    DWORD read = 0;
    const BOOL ok = ReadFile(handle_, buffer, size, &read, nullptr);
    *got = read;
    return ok != FALSE;
  }

  bool Write(const void* data, uint32_t size, uint32_t* written) override {
    DWORD done = 0;
    const BOOL ok = WriteFile(handle_, data, size, &done, nullptr);
    *written = done;
    return ok != FALSE && done == size;
  }

  bool SeekTo(int64_t position) override {
    if (position < 0) return false;
    return Move(position, FILE_BEGIN);
  }

  bool SeekToEnd() override { return Move(0, FILE_END); }

  // GetFileSize: INVALID_FILE_SIZE is also a valid low half, so only the
  // last error tells a failure.
  bool Size(uint64_t* size) override {
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(handle_, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    *size = uint64_t{high} << 32 | low;
    return true;
  }

 private:
  // SetFilePointer with both halves; INVALID_SET_FILE_POINTER is also a
  // valid low half, so only the last error tells a failure.
  bool Move(int64_t distance, DWORD method) {
    LONG high = static_cast<LONG>(distance >> 32);
    SetLastError(NO_ERROR);
    const DWORD low =
        SetFilePointer(handle_, static_cast<LONG>(distance & 0xFFFFFFFF), &high, method);
    return low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
  }

  HANDLE handle_;
};

DWORD AccessBits(os::Access access) {
  switch (access) {
    case os::Access::kRead:
      return GENERIC_READ;
    case os::Access::kWrite:
      return GENERIC_WRITE;
    case os::Access::kReadWrite:
      return GENERIC_READ | GENERIC_WRITE;
  }
  return GENERIC_READ;
}

DWORD ShareBits(os::Share share) {
  switch (share) {
    case os::Share::kNone:
      return 0;
    case os::Share::kRead:
      return FILE_SHARE_READ;
    case os::Share::kReadWrite:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;
  }
  return 0;
}

DWORD CreationDisposition(os::Disposition disposition) {
  switch (disposition) {
    case os::Disposition::kOpenExisting:
      return OPEN_EXISTING;
    case os::Disposition::kCreateAlways:
      return CREATE_ALWAYS;
    case os::Disposition::kOpenAlways:
      return OPEN_ALWAYS;
  }
  return OPEN_EXISTING;
}

// "X:\" for a path that starts with a drive letter; empty (the current
// drive) otherwise. GetDiskFreeSpaceA of Windows 95 takes only a root.
std::string RootOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + "\\";
  return {};
}

class Win32FileSystem : public os::FileSystem {
 public:
  os::FileHandle Open(const std::string& path, os::Access access, os::Disposition disposition,
                      os::Share share, uint32_t* error) override {
    HANDLE handle = CreateFileA(path.c_str(), AccessBits(access), ShareBits(share), nullptr,
                                CreationDisposition(disposition), FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (error) *error = GetLastError();
      return nullptr;
    }
    if (error) *error = os::error::kNone;
    return std::make_unique<Win32File>(handle);
  }

  bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }

  bool Rename(const std::string& from, const std::string& to) override {
    return MoveFileA(from.c_str(), to.c_str()) != FALSE;
  }

  bool Copy(const std::string& from, const std::string& to, bool failIfExists) override {
    return CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
  }

  bool MakeDirectory(const std::string& path) override {
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
  }

  bool ChangeDirectory(const std::string& path) override {
    return SetCurrentDirectoryA(path.c_str()) != FALSE;
  }

  std::string CurrentDirectory() override {
    // The first call tells the size including the terminator; the directory
    // may change between the calls, hence the second size check.
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return {};
    std::string directory(needed, '\0');
    const DWORD length = GetCurrentDirectoryA(needed, directory.data());
    if (length == 0 || length >= needed) return {};
    directory.resize(length);
    return directory;
  }

  bool Enumerate(const std::string& pattern, std::vector<std::string>* names) override {
    names->clear();
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
      // A readable directory without a match is an empty list.
      const DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES;
    }
    do {
      names->push_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return true;
  }

  bool FreeBytesAvailable(const std::string& directory, uint64_t* bytes) override {
    using FreeSpaceEx = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    static const auto freeSpaceEx = LookUpKernel32<FreeSpaceEx>("GetDiskFreeSpaceExA");
    if (freeSpaceEx) {
      ULARGE_INTEGER available, total, free;
      const char* where = directory.empty() ? nullptr : directory.c_str();
      if (!freeSpaceEx(where, &available, &total, &free)) return false;
      *bytes = available.QuadPart;
      return true;
    }
    // Windows 95 before OSR2: no quotas there, so all free clusters are the
    // caller's.
    const std::string root = RootOf(directory);
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceA(root.empty() ? nullptr : root.c_str(), &sectorsPerCluster,
                           &bytesPerSector, &freeClusters, &clusters))
      return false;
    *bytes = uint64_t{sectorsPerCluster} * bytesPerSector * freeClusters;
    return true;
  }

  // Windows itself finds names without regard to letter case.
  std::string HostPath(const std::string& path) override { return path; }
};

}  // namespace

os::FileSystem& FileSystem() {
  static Win32FileSystem files;
  return files;
}

}  // namespace win32
