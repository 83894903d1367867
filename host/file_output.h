// Files written whole or not at all: the output goes to a temporary file next
// to the target and is renamed into place only when complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vsthost {

class AtomicOutput {
 public:
  explicit AtomicOutput(const std::string& path);
  ~AtomicOutput();  // removes the temporary file unless committed
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;

  // Creates the temporary file (empty); false with a one-line reason when the
  // target's folder cannot be written.
  bool prepare(std::string* error);
  const std::string& temporaryPath() const { return temporary; }
  bool commit(std::string* error);

 private:
  std::string target;
  std::string temporary;
  bool prepared = false;
  bool committed = false;
};

bool readWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>* bytes,
                   std::string* error);
bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

}  // namespace vsthost
