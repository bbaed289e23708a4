// The splash window TreeSplash: a frameless grey child of the frame, centred, with the
// program's name, its makers and their address; it closes after 5 seconds, on a click, or
// when it loses the focus.
#pragma once

#include "platform/window_def.h"
#include "windows/session.h"

namespace ormile::app {

// The splash as designed: 267 x 116 dialog units, Verdana 8, two nested panels, three lines.
platform::WindowDef treeSplashDef();

// Runs the splash until it closes. Procedure thread only (a thread of its own).
void TreeSplash(windows::Session& session);

}  // namespace ormile::app
