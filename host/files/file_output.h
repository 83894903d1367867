// Files written whole or not at all: the output goes to a temporary file next
// to the target and is renamed into place only when complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillet::host {

class AtomicOutput {
 public:
  explicit AtomicOutput(const std::string& path);
  ~AtomicOutput();  // removes the temporary file unless committed
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;

  // Creates the temporary file under an unpredictable name, exclusively, in
  // the target's folder; false with a one-line reason when the target cannot
  // be written. An output that is a symbolic link has its target replaced (the
  // link stays); a read-only output is refused, as cp refuses it. The new file
  // takes the mode of the one it replaces.
  bool prepare(std::string* error);
  const std::string& temporaryPath() const { return temporary; }
  // The open temporary file, handed over once: the caller closes it.
  int takeDescriptor();
  bool commit(std::string* error);

 private:
  std::string target;     // as given
  std::string finalPath;  // where the file lands: the target, or what its link points to
  std::string temporary;
  int descriptor = -1;
  int slot = -1;  // in the table the signal handlers clean up
  bool created = false;
  bool committed = false;
};

// Until the process ends, SIGINT, SIGTERM, SIGHUP and SIGXFSZ remove every
// temporary file not yet committed and end the process with that signal.
// Done by the first prepare(); callable earlier.
void removeTemporaryFilesOnSignals();

bool readWholeFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>* bytes,
                   std::string* error);
bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

}  // namespace quillet::host
