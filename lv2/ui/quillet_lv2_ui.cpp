#include "lv2/ui/quillet_lv2_ui.h"

#include <lv2/atom/atom.h>

#include <cmath>
#include <cstring>

namespace quillet::lv2::ui {

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
  ports.resize = static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize));

  std::unique_ptr<QuilletLv2Ui> ui(new QuilletLv2Ui(ports));
  if (const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map));
      map && map->map) {
    ui->scaleFactorKey = map->map(map->handle, LV2_UI__scaleFactor);
    ui->floatType = map->map(map->handle, LV2_ATOM__Float);
    ui->doubleType = map->map(map->handle, LV2_ATOM__Double);
  }
  // The host's factor first: the panel opens at the size it gives.
  if (const auto* options =
          static_cast<const LV2_Options_Option*>(featureData(features, LV2_OPTIONS__options)))
    ui->setOptions(options);
  if (!ui->panel.open(parent)) return nullptr;

  if (ports.resize && ports.resize->ui_resize)
    ports.resize->ui_resize(ports.resize->handle, ui->panel.width(), ui->panel.height());

  const uintptr_t handle = ui->panel.nativeWindow();
  if (widget) *widget = reinterpret_cast<LV2UI_Widget>(handle);
  ui->keys = quillet::editor::X11KeyReader::watch(handle);
  ui->shownWidth = ui->panel.width();
  ui->shownHeight = ui->panel.height();
  ui->follower = HostWindowFollower::watch(handle, ui->shownWidth, ui->shownHeight);
  return ui;
}

void QuilletLv2Ui::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
  const int32_t changed = host.portEvent(port, size, format, buffer);
  if (changed >= 0) panel.parameterChanged(changed);
}

float QuilletLv2Ui::scaleFactorOf(const LV2_Options_Option& option) const {
  if (!scaleFactorKey || option.key != scaleFactorKey || !option.value) return 0.0f;
  double factor = 0.0;
  if (option.type == floatType && option.size == sizeof(float)) {
    float f;
    std::memcpy(&f, option.value, sizeof f);
    factor = f;
  } else if (option.type == doubleType && option.size == sizeof(double)) {
    std::memcpy(&factor, option.value, sizeof factor);
  } else {
    return 0.0f;
  }
  return std::isfinite(factor) && factor > 0.0 ? static_cast<float>(factor) : 0.0f;
}

uint32_t QuilletLv2Ui::setOptions(const LV2_Options_Option* options) {
  if (!options) return LV2_OPTIONS_SUCCESS;
  uint32_t status = LV2_OPTIONS_SUCCESS;
  // The list ends with an option whose key and value are both empty.
  for (const LV2_Options_Option* o = options; o->key || o->value; ++o) {
    if (!scaleFactorKey || o->key != scaleFactorKey) {
      status |= LV2_OPTIONS_ERR_BAD_KEY;
      continue;
    }
    const float factor = scaleFactorOf(*o);
    if (factor > 0.0f) {
      reportedScale = factor;
      panel.setHostScale(factor);
    } else {
      status |= LV2_OPTIONS_ERR_BAD_VALUE;
    }
  }
  return status;
}

uint32_t QuilletLv2Ui::getOptions(LV2_Options_Option* options) {
  if (!options) return LV2_OPTIONS_SUCCESS;
  uint32_t status = LV2_OPTIONS_SUCCESS;
  for (LV2_Options_Option* o = options; o->key || o->value; ++o) {
    if (!scaleFactorKey || o->key != scaleFactorKey || reportedScale <= 0.0f) {
      status |= LV2_OPTIONS_ERR_BAD_KEY;
      continue;
    }
    o->size = sizeof reportedScale;
    o->type = floatType;
    o->value = &reportedScale;
  }
  return status;
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
  if (panel.windowGone()) return 1;
  // A new size (the size menu, or the host's factor through the options) is
  // one the host agreed to with ui:resize.
  if (panel.width() != shownWidth || panel.height() != shownHeight) {
    shownWidth = panel.width();
    shownHeight = panel.height();
    if (follower) follower->panelResized(shownWidth, shownHeight);
  }
  if (follower) follower->idle();
  return 0;
}

}  // namespace quillet::lv2::ui
