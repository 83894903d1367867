#include "host/files/file_output.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>

#include <climits>
#endif

namespace quillet::host {

namespace {

// The temporary files not yet committed, in plain memory the signal handler
// may read: a path is complete before its slot is marked used.
constexpr int kSlots = 8;
constexpr size_t kMaxPath = 4096;
char slotPath[kSlots][kMaxPath];
volatile std::sig_atomic_t slotUsed[kSlots];

int claimSlot(const std::string& path) {
  if (path.size() >= kMaxPath) return -1;
  for (int i = 0; i < kSlots; ++i) {
    if (slotUsed[i]) continue;
    std::memcpy(slotPath[i], path.c_str(), path.size() + 1);
    slotUsed[i] = 1;
    return i;
  }
  return -1;
}

extern "C" void removeTemporariesAndDie(int signal) {
  for (int i = 0; i < kSlots; ++i)
    if (slotUsed[i]) ::remove(slotPath[i]);  // unlink(): safe in a handler
  // The default action again, so the caller sees the signal as the cause.
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

std::string randomSuffix(std::random_device& source) {
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string s;
  for (int i = 0; i < 12; ++i) s += kDigits[source() % 36];
  return s;
}

#ifdef _WIN32
int openExclusive(const std::string& path) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
#else
int openExclusive(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}
#endif

// Where the file goes and with which mode; false with a reason when cp would
// refuse too (or the output is no plain file).
bool resolveTarget(const std::string& target, std::string* finalPath, int* mode,
                   std::string* error) {
  *finalPath = target;
#ifdef _WIN32
  *mode = 0;
  if (_access(target.c_str(), 0) == 0 && _access(target.c_str(), 2) != 0) {
    *error = "cannot write " + target + ": the file is read-only";
    return false;
  }
  return true;
#else
  struct stat st;
  if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (!realpath(target.c_str(), resolved)) {
      *error = "cannot write " + target + ": a symbolic link to a missing file";
      return false;
    }
    *finalPath = resolved;
  }
  if (stat(finalPath->c_str(), &st) != 0) {
    const mode_t mask = umask(022);
    umask(mask);
    *mode = 0666 & ~static_cast<int>(mask);
    return true;
  }
  if (!S_ISREG(st.st_mode)) {
    *error = "cannot write " + target + ": not a plain file";
    return false;
  }
  // Even as root, where write access is always granted: a file made
  // read-only is not to be replaced.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(finalPath->c_str(), W_OK) != 0) {
    *error = "cannot write " + target + ": the file is read-only";
    return false;
  }
  *mode = static_cast<int>(st.st_mode & 07777);
  return true;
#endif
}

}  // namespace

void removeTemporaryFilesOnSignals() {
  static bool installed = false;
  if (installed) return;
  installed = true;
#ifdef _WIN32
  for (int s : {SIGINT, SIGTERM}) std::signal(s, removeTemporariesAndDie);
#else
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) {
    struct sigaction action {
    }, old{};
    action.sa_handler = removeTemporariesAndDie;
    sigemptyset(&action.sa_mask);
    sigaction(s, nullptr, &old);
    if (old.sa_handler == SIG_IGN) continue;  // nohup and the like: stays ignored
    sigaction(s, &action, nullptr);
  }
#endif
}

AtomicOutput::AtomicOutput(const std::string& path) : target(path), finalPath(path) {}

AtomicOutput::~AtomicOutput() {
  if (descriptor >= 0) close(descriptor);
  // Out of the handlers' table first, then gone.
  if (slot >= 0) slotUsed[slot] = 0;
  if (created && !committed) std::remove(temporary.c_str());
}

bool AtomicOutput::prepare(std::string* error) {
  int mode = 0;
  if (!resolveTarget(target, &finalPath, &mode, error)) return false;
  removeTemporaryFilesOnSignals();
  std::random_device source;
  const std::string stem = finalPath + ".partial-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = stem + randomSuffix(source);
    descriptor = openExclusive(temporary);
    if (descriptor >= 0) {
      created = true;
      // Only once it is ours: a handler must never remove someone else's file.
      slot = claimSlot(temporary);
      break;
    }
    const int why = errno;
    if (why != EEXIST) {
      *error = "cannot write " + target + ": " + std::strerror(why);
      return false;
    }
  }
  if (descriptor < 0) {
    *error = "cannot write " + target + ": no free temporary name";
    return false;
  }
#ifndef _WIN32
  if (fchmod(descriptor, static_cast<mode_t>(mode)) != 0) {
    *error = "cannot write " + target + ": " + std::strerror(errno);
    return false;
  }
#endif
  return true;
}

int AtomicOutput::takeDescriptor() {
  const int fd = descriptor;
  descriptor = -1;
  return fd;
}

bool AtomicOutput::commit(std::string* error) {
#ifdef _WIN32
  std::remove(finalPath.c_str());  // rename does not replace on Windows
#endif
  if (std::rename(temporary.c_str(), finalPath.c_str()) != 0) {
    *error = "cannot write " + target + ": " + std::strerror(errno);
    return false;
  }
  committed = true;
  return true;
}

bool readWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>* bytes,
                   std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  bytes->clear();
  uint8_t buffer[65536];
  size_t n;
  bool tooLarge = false;
  while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) {
    if (bytes->size() + n > maxBytes) {
      tooLarge = true;
      break;
    }
    bytes->insert(bytes->end(), buffer, buffer + n);
  }
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (tooLarge) {
    *error = path + ": oversized: more than " + std::to_string(maxBytes) + " bytes";
    return false;
  }
  if (failed) {
    *error = "cannot read " + path + ": read error";
    return false;
  }
  return true;
}

bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string* error) {
  AtomicOutput output(path);
  if (!output.prepare(error)) return false;
  const int fd = output.takeDescriptor();
  FILE* f = fdopen(fd, "wb");
  if (!f) {
    close(fd);
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return output.commit(error);
}

}  // namespace quillet::host
