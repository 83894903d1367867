#include "lv2/ui/quillet_lv2_ui.h"

#include <cstring>

namespace lv2ui {

namespace {

const void* featureData(const LV2_Feature* const* features, const char* uri) {
  if (!features) return nullptr;
  for (const LV2_Feature* const* f = features; *f; ++f)
    if ((*f)->URI && std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
  return nullptr;
}

}  // namespace

QuilletLv2Ui::QuilletLv2Ui(const UiHostPorts& ports) : host(ports), panel(host) {}

QuilletLv2Ui::~QuilletLv2Ui() {
  keys.reset();
  // Closing destroys the window, unless the host's went first and took it.
  panel.close();
}

std::unique_ptr<QuilletLv2Ui> QuilletLv2Ui::create(LV2UI_Write_Function write,
                                                   LV2UI_Controller controller,
                                                   const LV2_Feature* const* features,
                                                   LV2UI_Widget* widget) {
  void* parent = const_cast<void*>(featureData(features, LV2_UI__parent));
  if (!parent) return nullptr;
  UiHostPorts ports;
  ports.write = write;
  ports.controller = controller;
  ports.touch = static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch));

  std::unique_ptr<QuilletLv2Ui> ui(new QuilletLv2Ui(ports));
  if (!ui->panel.open(parent)) return nullptr;

  if (const auto* resize = static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize));
      resize && resize->ui_resize)
    resize->ui_resize(resize->handle, ui->panel.width(), ui->panel.height());

  const uintptr_t handle = ui->panel.nativeWindow();
  if (widget) *widget = reinterpret_cast<LV2UI_Widget>(handle);
  ui->keys = X11KeyReader::watch(handle);
  return ui;
}

void QuilletLv2Ui::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
  const int32_t changed = host.portEvent(port, size, format, buffer);
  if (changed >= 0) panel.parameterChanged(changed);
}

int QuilletLv2Ui::idle() {
  if (panel.windowGone()) return 1;
  if (keys) {
    // As a VST host's key requests: the focused knob takes the arrow keys.
    keys->read([this](VSTGUI::CKeyCode& key, bool down) {
      if (down)
        panel.keyDown(key);
      else
        panel.keyUp(key);
    });
  }
  panel.idle();
  return panel.windowGone() ? 1 : 0;
}

}  // namespace lv2ui
