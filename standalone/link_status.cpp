#include "standalone/link_status.h"

namespace quillet::standalone {

std::string describeLink(const LinkStatus& status) {
  if (status.state == LinkStatus::State::kWaiting) return "JACK: waiting for the server";
  std::string text = "JACK: " + status.clientName + ", " + std::to_string(status.rate) + " Hz, " +
                     std::to_string(status.periodFrames) + " frames";
  if (status.state == LinkStatus::State::kBadRate) text += ", a rate the echo cannot run at";
  if (status.xruns == 1) text += ", 1 xrun";
  if (status.xruns > 1) text += ", " + std::to_string(status.xruns) + " xruns";
  return text;
}

std::string windowTitle(const LinkStatus& status, const std::string& middle) {
  return "Quillet K3 - " + (middle.empty() ? "" : middle + " - ") + describeLink(status);
}

std::string xrunCount(uint64_t xruns, bool serverRealtime) {
  std::string text = std::to_string(xruns) + (xruns == 1 ? " xrun" : " xruns");
  if (xruns > 0 && !serverRealtime)
    text +=
        ": the JACK server runs without real-time scheduling, so a busy moment of the "
        "computer delays it";
  return text;
}

}  // namespace quillet::standalone
