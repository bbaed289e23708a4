// The frame procedure Main: the application frame with its menu, tool bar and status bar;
// it starts the splash and the menu's window procedures, each on a thread of its own with a
// session of its own, and passes tool bar presses on to the active child window.
#pragma once

#include <functional>

#include "platform/screen.h"
#include "windows/session.h"

namespace ormile::app {

// Menu commands of the frame. An item whose window comes later has command 0, which the
// front end shows disabled.
constexpr int kCommandSqlParts = 101;
constexpr int kCommandOrmile = 100;

// The frame's tool bar buttons, numbered as the browse and tree windows expect them.
enum ToolControl : int {
  kToolInsert = 3001,
  kToolChange = 3002,
  kToolDelete = 3003,
  kToolSelect = 3004,
  kToolBottom = 3005,
  kToolTop = 3006,
  kToolPageDown = 3007,
  kToolPageUp = 3008,
  kToolDown = 3009,
  kToolUp = 3010,
  kToolLocate = 3011,
  kToolHistory = 3012,
  kToolHelp = 3013,
  kToolRefreshTree = 3119,
  kToolExplodeTree = 3120,
  kToolCollapseTree = 3121,
  kToolExplodeNode = 3122,
  kToolCollapseNode = 3123,
};

// The frame as designed: caption "Ormile", (0, 0) 523 x 345 dialog units, Tahoma 8, the menu
// and the eighteen tool bar buttons, four status bar sections.
platform::FrameDef mainFrameDef();

// The window procedures that the menu starts. Empty: the item does nothing.
struct MainOptions {
  std::function<void(windows::Session&)> ormile;    // "Ormile": the tree window
  std::function<void(windows::Session&)> sqlParts;  // "SQL Parts": BrowseSQLParts
  std::function<void(windows::Session&)> splash;    // at start; TreeSplash unless replaced
};

// Starts `procedure` on a new thread (25 000 bytes asked, raised to the safe minimum) with a
// session created when the thread starts and destroyed when it ends. Thread-safe; false when
// the system refused the thread.
bool startWindowProcedure(const windows::Services& services,
                          std::function<void(windows::Session&)> procedure);

// Runs the frame until the user closes it; then saves its placement under "Main" and asks
// every open child window to close. Frame procedure thread only.
void Main(windows::Session& session, const MainOptions& options);

}  // namespace ormile::app
