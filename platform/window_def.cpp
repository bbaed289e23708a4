#include "platform/window_def.h"

#include "base/text.h"

namespace ormile::platform {

ControlDef control(std::string label, ControlKind kind, std::string text, int x, int y, int width,
                   int height) {
  ControlDef c;
  c.label = std::move(label);
  c.kind = kind;
  c.text = std::move(text);
  c.x = x;
  c.y = y;
  c.width = width;
  c.height = height;
  return c;
}

const ControlDef* WindowDef::control(std::string_view label) const {
  for (const auto& c : controls)
    if (c.label.size() == label.size() && base::compareKeyText(c.label, label) == 0) return &c;
  return nullptr;
}

int WindowDef::controlId(std::string_view label) const {
  const ControlDef* c = control(label);
  return c ? c->id : 0;
}

int WindowDef::add(ControlDef c) {
  if (c.id == 0) {
    int last = 0;
    for (const auto& existing : controls)
      if (existing.id > last && existing.id < 1000) last = existing.id;
    c.id = last + 1;
  }
  controls.push_back(std::move(c));
  return controls.back().id;
}

}  // namespace ormile::platform
