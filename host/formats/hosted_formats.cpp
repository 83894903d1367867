#include "host/formats/hosted_format.h"

namespace quillet::host {

const std::vector<const HostedFormat*>& hostedFormats() {
  static const std::vector<const HostedFormat*> formats = {&kClapFormat, &kVst3Format,
                                                           &kVst2Format};
  return formats;
}

const HostedFormat& formatOf(const std::string& path) {
  for (const HostedFormat* format : hostedFormats())
    if (format->claims(path)) return *format;
  return kVst2Format;
}

}  // namespace quillet::host
