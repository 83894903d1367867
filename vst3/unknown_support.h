// Reference counting and interface lookup shared by the module's objects.
#pragma once

#include <atomic>

#include "vst3/interface/base.h"

namespace quillet::vst3 {

// Starts at one, as every new object of the interface does.
class RefCount {
 public:
  uint32 add() { return count.fetch_add(1, std::memory_order_relaxed) + 1; }
  // The count after the release; the owner deletes itself at 0.
  uint32 drop() { return count.fetch_sub(1, std::memory_order_acq_rel) - 1; }

 private:
  std::atomic<uint32> count{1};
};

// Answers a query for Interface (by its iid) with `object` seen as Interface.
template <class Interface, class Object>
bool offerInterface(const char8* wanted, Object* object, void** obj) {
  if (!Interface::iid.equals(wanted)) return false;
  object->addRef();
  *obj = static_cast<Interface*>(object);
  return true;
}

inline tresult noInterface(void** obj) {
  if (obj) *obj = nullptr;
  return kNoInterface;
}

}  // namespace quillet::vst3
