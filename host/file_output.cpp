#include "host/file_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace vsthost {

AtomicOutput::AtomicOutput(const std::string& path)
    : target(path), temporary(path + ".partial-" + std::to_string(getpid())) {}

AtomicOutput::~AtomicOutput() {
  if (prepared && !committed) std::remove(temporary.c_str());
}

bool AtomicOutput::prepare(std::string* error) {
  FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) {
    *error = "cannot write " + target + ": " + std::strerror(errno);
    return false;
  }
  std::fclose(f);
  prepared = true;
  return true;
}

bool AtomicOutput::commit(std::string* error) {
#ifdef _WIN32
  std::remove(target.c_str());  // rename does not replace on Windows
#endif
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
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
  FILE* f = std::fopen(output.temporaryPath().c_str(), "wb");
  if (!f) {
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

}  // namespace vsthost
