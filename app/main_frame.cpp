#include "app/main_frame.h"

#include <utility>

#include "app/tree_splash.h"
#include "platform/procedure.h"

namespace ormile::app {

using platform::Event;
using platform::EventKind;
using platform::MenuEntry;
using platform::ToolButton;

namespace {

constexpr size_t kWindowStack = 25000;

MenuEntry item(const char* text, int command, const char* tip = "") {
  MenuEntry e;
  e.kind = MenuEntry::Kind::Item;
  e.text = text;
  e.command = command;
  e.statusTip = tip;
  return e;
}

MenuEntry action(MenuEntry::Kind kind, const char* text, const char* tip) {
  MenuEntry e;
  e.kind = kind;
  e.text = text;
  e.statusTip = tip;
  return e;
}

MenuEntry menu(const char* text, std::vector<MenuEntry> entries, const char* tip = "") {
  MenuEntry e;
  e.kind = MenuEntry::Kind::Menu;
  e.text = text;
  e.statusTip = tip;
  e.entries = std::move(entries);
  return e;
}

bool isToolControl(int control) {
  return (control >= kToolInsert && control <= kToolHelp) ||
         (control >= kToolRefreshTree && control <= kToolCollapseNode);
}

}  // namespace

platform::FrameDef mainFrameDef() {
  platform::FrameDef f;
  f.window.procedure = "Main";
  f.window.caption = "Ormile";
  f.window.x = 0;
  f.window.y = 0;
  f.window.width = 523;
  f.window.height = 345;
  f.window.font = {"Tahoma", 8, false};
  f.window.resizable = true;
  f.window.systemMenu = true;
  f.window.maximizeBox = true;

  f.menu.push_back(action(MenuEntry::Kind::Exit, "E&xit", "Exit this application"));
  // The clause and production windows come with later work; their items are shown,
  // disabled (command 0).
  f.menu.push_back(menu("Ormile", {item("Ormile", kCommandOrmile)}));
  f.menu.push_back(menu("SQL Parts Clauses and Components",
                        {item("SQL Parts", kCommandSqlParts), item("SQL Clauses", 0),
                         item("SQL Clauses, Components and BNF", 0)}));
  MenuEntry window =
      menu("&Window",
           {action(MenuEntry::Kind::Tile, "T&ile", "Make all open windows visible"),
            action(MenuEntry::Kind::Cascade, "&Cascade", "Stack all open windows"),
            action(MenuEntry::Kind::ArrangeIcons, "&Arrange Icons", "Align all window icons")},
           "Create and Arrange windows");
  window.windowList = true;
  f.menu.push_back(window);

  struct Tool {
    int control;
    const char* icon;
    const char* tip;
    bool enabled, visible;
    int gap;
  };
  constexpr int kGap = 6;  // dialog units before select, history and refresh tree
  const Tool tools[] = {
      {kToolTop, "VCRFIRST", "Go to the First Page", false, true, 0},
      {kToolPageUp, "VCRPRIOR", "Go to the Prior Page", false, true, 0},
      {kToolUp, "VCRUP", "Go to the Prior Record", false, true, 0},
      {kToolLocate, "FIND", "Locate record", false, true, 0},
      {kToolDown, "VCRDOWN", "Go to the Next Record", false, true, 0},
      {kToolPageDown, "VCRNEXT", "Go to the Next Page", false, true, 0},
      {kToolBottom, "VCRLAST", "Go to the Last Page", false, true, 0},
      {kToolSelect, "MARK", "Select This Record", false, true, kGap},
      {kToolInsert, "INSERT", "Insert a New Record", false, true, 0},
      {kToolChange, "EDIT", "Edit This Record", false, true, 0},
      {kToolDelete, "DELETE", "Delete This Record", false, true, 0},
      {kToolHistory, "DITTO", "Previous value", false, true, kGap},
      {kToolHelp, "HELP", "Get Help", false, true, 0},
      {kToolRefreshTree, "REFRESH2", "", true, true, kGap},
      {kToolExplodeTree, "EXPTREE2", "", true, true, 0},
      {kToolExplodeNode, "EXPNODE2", "", true, true, 0},
      {kToolCollapseTree, "CONTREE2", "", true, false, 0},
      {kToolCollapseNode, "CONNODE2", "", true, false, 0},
  };
  for (const Tool& t : tools) {
    ToolButton b;
    b.control = t.control;
    b.icon = t.icon;
    b.tip = t.tip;
    b.enabled = t.enabled;
    b.visible = t.visible;
    b.gapBefore = t.gap;
    f.toolbar.push_back(b);
  }
  f.statusWidths = {-1, 80, 120, 45};
  return f;
}

bool startWindowProcedure(const windows::Services& services,
                          std::function<void(windows::Session&)> procedure) {
  return platform::startProcedure(
      [services, procedure = std::move(procedure)] {
        windows::Session session(services);
        procedure(session);
      },
      kWindowStack);
}

void Main(windows::Session& session, const MainOptions& options) {
  session.pushProcedure("Main");
  // The frame takes over the thread's pending request; it has no form to pass it to.
  session.request = windows::Request::None;
  session.response = windows::Response::None;

  platform::Screen& screen = session.screen();
  const platform::FrameDef def = mainFrameDef();
  platform::WindowId frame = screen.openFrame(def, session.events());
  session.windows.push_back(frame);
  startWindowProcedure(session.services(), options.splash ? options.splash : TreeSplash);

  const platform::PlacementState designed{def.window.x,      def.window.y, def.window.width,
                                          def.window.height, false,        false};
  platform::PlacementState placement = session.settings().restore("Main", designed, true);
  screen.setPlacement(frame, placement);

  for (;;) {
    Event e = session.events().take();
    if (e.window != frame) continue;
    if (e.kind == EventKind::CloseWindow) break;
    if (e.kind == EventKind::Placement) {
      placement = e.placement;
    } else if (e.kind == EventKind::Accepted) {
      if (isToolControl(e.control)) {
        // The same press, to the active child window's thread; nothing when the frame
        // itself is active.
        Event press;
        press.kind = EventKind::Accepted;
        press.control = e.control;
        screen.postToActiveChild(press);
      } else if (e.control == kCommandSqlParts && options.sqlParts) {
        startWindowProcedure(session.services(), options.sqlParts);
      } else if (e.control == kCommandOrmile && options.ormile) {
        startWindowProcedure(session.services(), options.ormile);
      }
    }
  }

  session.settings().save("Main", placement, true);
  screen.closeChildren();
  screen.close(frame);
  session.windows.pop_back();
  session.popProcedure();
}

}  // namespace ormile::app
