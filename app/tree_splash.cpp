#include "app/tree_splash.h"

namespace ormile::app {

using platform::ControlDef;
using platform::ControlKind;
using platform::EventKind;

platform::WindowDef treeSplashDef() {
  platform::WindowDef w;
  w.procedure = "TreeSplash";
  w.width = 267;
  w.height = 116;
  w.font = {"Verdana", 8, false};
  w.frameless = true;
  w.centered = true;
  w.grey = true;
  w.resizable = false;
  w.systemMenu = false;
  auto panel = [&](const char* label, int x, int y, int width, int height) {
    w.add(platform::control(label, ControlKind::Panel, "", x, y, width, height));
  };
  auto line = [&](const char* label, const char* text, int x, int y, int width, int height,
                  bool bold) {
    ControlDef c = platform::control(label, ControlKind::Prompt, text, x, y, width, height);
    c.font = {"Verdana", 14, bold};
    c.transparent = true;
    if (width != platform::kNatural) c.align = platform::Align::Center;
    w.add(c);
  };
  panel("?Panel1", 7, 7, 254, 99);
  panel("?Panel2", 15, 18, 229, 81);
  line("?Title", "Ormile", 41, 30, 174, 17, true);
  line("?Maker", "Ormile developers", 33, 50, platform::kNatural, platform::kNatural, false);
  line("?Address", "https://ormile.example", 77, 70, platform::kNatural, platform::kNatural, false);
  return w;
}

void TreeSplash(windows::Session& session) {
  session.pushProcedure("TreeSplash");
  platform::Screen& screen = session.screen();
  const platform::WindowDef def = treeSplashDef();
  platform::WindowId window = screen.open(def, session.events());
  session.windows.push_back(window);

  // Centred by design; a stored placement (with its "Maximize" key) takes over.
  const platform::PlacementState designed{
      platform::kDefaultPosition, platform::kDefaultPosition, def.width, def.height, false, false};
  platform::PlacementState placement = session.settings().restore("TreeSplash", designed, false);
  if (session.settings().file().get("TreeSplash", "Maximize"))
    screen.setPlacement(window, placement);

  screen.setTimer(window, 500);
  for (bool open = true; open;) {
    platform::Event e = session.events().take();
    if (e.window != window) continue;
    switch (e.kind) {
      case EventKind::Placement:
        placement = e.placement;
        break;
      case EventKind::Timer:
      case EventKind::MouseLeft:
      case EventKind::MouseRight:
      case EventKind::MouseDouble:
      case EventKind::LostFocus:
      case EventKind::CloseWindow:
        open = false;
        break;
      default:
        break;
    }
  }
  screen.setTimer(window, 0);
  if (placement.x != platform::kDefaultPosition)
    session.settings().save("TreeSplash", placement, false);
  screen.close(window);
  session.windows.pop_back();
  session.popProcedure();
}

}  // namespace ormile::app
