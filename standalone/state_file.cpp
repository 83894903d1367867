#include "standalone/state_file.h"

#include <errno.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "core/state_codec.h"
#include "platform/settings_file.h"

namespace quillet::standalone {

std::string defaultStatePath() { return quillet::platform::userConfigPath("standalone"); }

StateRead readStateFile(const std::string& path, quillet::core::EchoCore& core, std::string* why) {
  struct stat info {};
  const bool found = stat(path.c_str(), &info) == 0;
  if (!found && (errno == ENOENT || errno == ENOTDIR)) return StateRead::kMissing;
  std::string bytes;
  if (!quillet::platform::readSmallFile(path, quillet::core::kStateBytes, &bytes)) {
    *why =
        found && S_ISREG(info.st_mode) &&
                info.st_size > static_cast<off_t>(quillet::core::kStateBytes)
            ? "longer than a saved state (" + std::to_string(quillet::core::kStateBytes) + " bytes)"
            : "not a readable file";
    return StateRead::kRefused;
  }
  if (bytes.size() != quillet::core::kStateBytes) {
    *why = "not a saved state (" + std::to_string(bytes.size()) + " bytes, not " +
           std::to_string(quillet::core::kStateBytes) + ")";
    return StateRead::kRefused;
  }
  if (!core.loadStateStrict(bytes.data(), bytes.size())) {
    *why = "not a saved state (a value is not a number)";
    return StateRead::kRefused;
  }
  return StateRead::kLoaded;
}

bool writeStateFile(const std::string& path, const quillet::core::EchoCore& core) {
  uint8_t bytes[quillet::core::kStateBytes];
  core.saveState(bytes);
  // A link stays a link: the file it points to gets the new values.
  std::string target = path;
  if (char* resolved = realpath(path.c_str(), nullptr)) {
    target = resolved;
    free(resolved);
  }
  return quillet::platform::writeFileAtomically(
      target, std::string(reinterpret_cast<const char*>(bytes), sizeof bytes));
}

}  // namespace quillet::standalone
