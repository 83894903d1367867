// The frame window's OLE drop target: it takes part in drag and drop so the
// drag cursor shows, and accepts nothing.
#pragma once

#include <ole2.h>

namespace quillet::platform {

class RefusingDropTarget : public IDropTarget {
 public:
  virtual ~RefusingDropTarget() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL where,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL where, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL where,
                                 DWORD* effect) override;

 private:
  ULONG references = 1;
};

}  // namespace quillet::platform
