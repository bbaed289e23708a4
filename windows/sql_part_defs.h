// The parts of the SQL part windows' definitions that several of them share: the common
// window settings and the list columns of the parts.
// Thread-safe: pure functions building values.
#pragma once

#include <string>

#include "platform/window_def.h"

namespace ormile::windows::sqlparts {

// A window of the SQL part family: default position, resizable, system menu, grey, 8 point.
platform::WindowDef window(const std::string& procedure, const std::string& caption, int width,
                           int height, const std::string& fontFamily);

platform::ControlDef button(const std::string& label, const std::string& text, int x, int y,
                            int width = 45, int height = 14);
platform::ControlDef sheet(const std::string& label, int x, int y, int width, int height);
platform::ControlDef tab(const std::string& label, const std::string& text);
platform::ControlDef list(const std::string& label, int x, int y, int width, int height);
// A list column: left-aligned text, or (right = true) right-aligned with a centred title.
platform::Column column(const std::string& title, const std::string& picture, bool right = false);

}  // namespace ormile::windows::sqlparts
