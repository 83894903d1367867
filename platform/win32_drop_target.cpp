#include "platform/win32_drop_target.h"

namespace quillet::platform {

HRESULT STDMETHODCALLTYPE RefusingDropTarget::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE RefusingDropTarget::AddRef() { return ++references; }

ULONG STDMETHODCALLTYPE RefusingDropTarget::Release() {
  const ULONG left = --references;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE RefusingDropTarget::DragEnter(IDataObject*, DWORD, POINTL,
                                                        DWORD* effect) {
  if (effect) *effect = DROPEFFECT_NONE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE RefusingDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (effect) *effect = DROPEFFECT_NONE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE RefusingDropTarget::DragLeave() { return S_OK; }

HRESULT STDMETHODCALLTYPE RefusingDropTarget::Drop(IDataObject*, DWORD, POINTL, DWORD* effect) {
  if (effect) *effect = DROPEFFECT_NONE;
  return S_OK;
}

}  // namespace quillet::platform
