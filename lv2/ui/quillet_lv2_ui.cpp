#include "lv2/ui/quillet_lv2_ui.h"

#include <cstring>

#include "editor/quillet_gui.h"
#include "gui/cframe.h"

namespace lv2ui {

namespace {

const void* featureData(const LV2_Feature* const* features, const char* uri) {
  if (!features) return nullptr;
  for (const LV2_Feature* const* f = features; *f; ++f)
    if ((*f)->URI && std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
  return nullptr;
}

}  // namespace

QuilletLv2Ui::QuilletLv2Ui(const UiHostPorts& host)
    : effect(new PortProxyEffect(host)), editor(new QuilletGUI(effect.get())) {}

QuilletLv2Ui::~QuilletLv2Ui() {
  keys.reset();
  // Closing destroys the window, unless the host's went first and took it.
  editor->close();
}

std::unique_ptr<QuilletLv2Ui> QuilletLv2Ui::create(LV2UI_Write_Function write,
                                                   LV2UI_Controller controller,
                                                   const LV2_Feature* const* features,
                                                   LV2UI_Widget* widget) {
  void* parent = const_cast<void*>(featureData(features, LV2_UI__parent));
  if (!parent) return nullptr;
  UiHostPorts host;
  host.write = write;
  host.controller = controller;
  host.touch = static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch));

  std::unique_ptr<QuilletLv2Ui> ui(new QuilletLv2Ui(host));
  if (!ui->editor->open(parent)) return nullptr;

  ERect* size = nullptr;
  ui->editor->getRect(&size);
  if (const auto* resize = static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize));
      resize && resize->ui_resize && size)
    resize->ui_resize(resize->handle, size->right - size->left, size->bottom - size->top);

  const uintptr_t handle = ui->editor->getFrame()->getPlatformWindow()->nativeHandle();
  if (widget) *widget = reinterpret_cast<LV2UI_Widget>(handle);
  ui->keys = X11KeyReader::watch(handle);
  return ui;
}

void QuilletLv2Ui::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
  // Control ports carry one float; anything else is not ours to read.
  if (format != 0 || size != sizeof(float) || !buffer) return;
  float value;
  std::memcpy(&value, buffer, sizeof value);
  if (port < kNumQuilletParams)
    effect->setParameter(static_cast<VstInt32>(port), value);
  else if (port == kHostTempoPort)
    effect->setHostTempo(value);
}

bool QuilletLv2Ui::windowGone() const {
  VSTGUI::CFrame* frame = editor->getFrame();
  return !frame || !frame->getPlatformWindow() || frame->getPlatformWindow()->isGone();
}

int QuilletLv2Ui::idle() {
  if (windowGone()) return 1;
  if (keys) {
    // As a VST host's key requests: the focused knob takes the arrow keys.
    keys->read([this](VstKeyCode& key, bool down) {
      if (down)
        editor->onKeyDown(key);
      else
        editor->onKeyUp(key);
    });
  }
  editor->idle();
  return windowGone() ? 1 : 0;
}

}  // namespace lv2ui
