#include "vst3/processor_link.h"

#include <map>
#include <mutex>

namespace quillet::vst3 {

namespace {

struct Registry {
  std::mutex mutex;
  int64_t lastToken = 0;
  std::map<int64_t, std::weak_ptr<ProcessorLink>> links;
};

Registry& registry() {
  static Registry instance;
  return instance;
}

}  // namespace

int64_t publishLink(const std::shared_ptr<ProcessorLink>& link) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  const int64_t token = ++r.lastToken;
  r.links[token] = link;
  return token;
}

std::shared_ptr<ProcessorLink> findLink(int64_t token) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  const auto found = r.links.find(token);
  return found == r.links.end() ? nullptr : found->second.lock();
}

void withdrawLink(int64_t token) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.links.erase(token);
}

}  // namespace quillet::vst3
