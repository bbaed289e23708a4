// The program's start-up and shutdown, apart from the display: the message service, the
// settings service on "dvak.INI" in the working directory, the frame procedure Main on a
// thread of its own while the calling (GUI) thread runs the display loop, and at the end the
// settings service's own section.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>

#include "app/main_frame.h"
#include "platform/screen.h"

namespace ormile::app {

// What the program needs of the display besides the Screen.
struct FrontEnd {
  platform::Screen& screen;
  std::function<void()> run;   // runs the display loop until quit(); calling thread
  std::function<void()> quit;  // ends run(); thread-safe
  // Keeps the display serving until done() or the timeout; true when done() held.
  std::function<bool(const std::function<bool()>& done, std::chrono::milliseconds)> serveUntil;
};

// How long the ending program serves the closing child windows before it ends without them.
constexpr std::chrono::seconds kCloseWait{30};

// Runs the program in `directory` and returns its exit status. Call on the GUI thread.
int runProgram(FrontEnd& frontEnd, const std::filesystem::path& directory,
               const MainOptions& options);

}  // namespace ormile::app
