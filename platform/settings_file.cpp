#include "platform/settings_file.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillet::platform {

namespace {

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

#ifdef _WIN32

namespace {

std::wstring wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      &out[0], n);
  return out;
}

std::string utf8(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n) - 1);
  return out;
}

// Creates the folder and any missing parents.
bool makeFolders(const std::wstring& folder) {
  if (folder.empty()) return false;
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const size_t slash = folder.find_last_of(L"/\\");
  if (slash != std::wstring::npos && slash > 0 && folder[slash - 1] != L':' &&
      !makeFolders(folder.substr(0, slash)))
    return false;
  return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

std::string userConfigPath(const std::string& name) {
  const wchar_t* appData = _wgetenv(L"APPDATA");
  if (!appData || !appData[0]) return std::string();
  const std::string folder = utf8(appData);
  return folder.empty() ? folder : folder + "\\Quillet K3\\" + name;
}

bool readSmallFile(const std::string& path, size_t maxBytes, std::string* text) {
  text->clear();
  const std::wstring name = wide(path);
  if (name.empty()) return false;
  HANDLE file = CreateFileW(name.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) &&
            size.QuadPart >= 0 && static_cast<unsigned long long>(size.QuadPart) <= maxBytes;
  if (ok) {
    // Read one byte past the limit, in case the file grew meanwhile.
    std::vector<char> buffer(maxBytes + 1);
    size_t total = 0;
    while (total < buffer.size()) {
      DWORD got = 0;
      if (!ReadFile(file, buffer.data() + total, static_cast<DWORD>(buffer.size() - total), &got,
                    nullptr)) {
        ok = false;
        break;
      }
      if (got == 0) break;
      total += got;
    }
    ok = ok && total <= maxBytes;
    if (ok) text->assign(buffer.data(), total);
  }
  CloseHandle(file);
  return ok;
}

bool writeFileAtomically(const std::string& path, const std::string& text) {
  const std::wstring name = wide(path);
  if (name.empty() || !makeFolders(wide(folderOf(path)))) return false;
  const std::wstring temporary = name + L".new-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(GetTickCount());
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size() && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  ok = ok && MoveFileExW(temporary.c_str(), name.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(temporary.c_str());
  return ok;
}

#else

namespace {

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry;
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
      !found->pw_dir || found->pw_dir[0] != '/')
    return std::string();
  return found->pw_dir;
}

// Creates the folder and any missing parents, private to the user.
bool makeFolders(const std::string& folder) {
  if (folder.empty()) return false;
  struct stat info;
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  const std::string parent = folderOf(folder);
  if (!parent.empty() && !makeFolders(parent)) return false;
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string userConfigPath(const std::string& name) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::string(config) + "/quillet-k3/" + name;
  const std::string home = homeFolder();
  return home.empty() ? home : home + "/.config/quillet-k3/" + name;
}

bool readSmallFile(const std::string& path, size_t maxBytes, std::string* text) {
  text->clear();
  // Non-blocking, so that a pipe put in the file's place cannot hang the panel.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat info;
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
            static_cast<unsigned long long>(info.st_size) <= maxBytes;
  if (ok) {
    // Read one byte past the limit, in case the file grew meanwhile.
    std::vector<char> buffer(maxBytes + 1);
    size_t total = 0;
    while (total < buffer.size()) {
      const ssize_t n = read(fd, buffer.data() + total, buffer.size() - total);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ok = false;
      if (n <= 0) break;
      total += static_cast<size_t>(n);
    }
    ok = ok && total <= maxBytes;
    if (ok) text->assign(buffer.data(), total);
  }
  close(fd);
  return ok;
}

bool writeFileAtomically(const std::string& path, const std::string& text) {
  if (path.empty() || !makeFolders(folderOf(path))) return false;
  std::string temporary = path + ".new-XXXXXX";
  const int fd = mkostemp(&temporary[0], O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = writeAll(fd, text) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temporary.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder's entry.
  const int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return true;
}

#endif

std::string userSettingsPath() { return userConfigPath("settings"); }

}  // namespace quillet::platform
