// Shared ownership by counting: a new object has one reference; the last
// forget deletes it.
#pragma once

namespace VSTGUI {

class CReferenceCounter {
 public:
  CReferenceCounter() = default;
  CReferenceCounter(const CReferenceCounter&) = delete;
  CReferenceCounter& operator=(const CReferenceCounter&) = delete;
  virtual ~CReferenceCounter() = default;

  void remember() { ++nbReference; }
  void forget() {
    if (--nbReference == 0) delete this;
  }
  int getNbReference() const { return nbReference; }

 private:
  int nbReference = 1;
};

}  // namespace VSTGUI
