// Builders of the SQL part windows' definitions.
#include "windows/sql_part_defs.h"

namespace ormile::windows::sqlparts {

platform::WindowDef window(const std::string& procedure, const std::string& caption, int width,
                           int height, const std::string& fontFamily) {
  platform::WindowDef w;
  w.procedure = procedure;
  w.caption = caption;
  w.width = width;
  w.height = height;
  w.font = {fontFamily, 8, false};
  w.resizable = true;
  w.systemMenu = true;
  w.grey = true;
  w.focusHighlight = true;
  return w;
}

platform::ControlDef button(const std::string& label, const std::string& text, int x, int y,
                            int width, int height) {
  return platform::control(label, platform::ControlKind::Button, text, x, y, width, height);
}

platform::ControlDef sheet(const std::string& label, int x, int y, int width, int height) {
  return platform::control(label, platform::ControlKind::Sheet, "", x, y, width, height);
}

// A tab belongs to the last sheet before it in definition order.
platform::ControlDef tab(const std::string& label, const std::string& text) {
  return platform::control(label, platform::ControlKind::Tab, text, 0, 0);
}

platform::ControlDef list(const std::string& label, int x, int y, int width, int height) {
  return platform::control(label, platform::ControlKind::List, "", x, y, width, height);
}

platform::Column column(const std::string& title, const std::string& picture, bool right) {
  platform::Column c;
  c.title = title;
  c.width = right && picture == "@n-14" ? 64 : 80;
  c.align = right ? platform::Align::Right : platform::Align::Left;
  c.indent = 2;
  c.titleAlign = right ? platform::Align::Center : platform::Align::Left;
  c.picture = picture;
  return c;
}

}  // namespace ormile::windows::sqlparts
