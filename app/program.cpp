#include "app/program.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "base/messages.h"
#include "platform/procedure.h"
#include "platform/settings.h"
#include "windows/session.h"

namespace ormile::app {

int runProgram(FrontEnd& frontEnd, const std::filesystem::path& directory,
               const MainOptions& options) {
  // 1. The message service, shown as boxes of the screen.
  windows::ScreenAnswerer answerer(frontEnd.screen);
  base::MessageService messages(answerer);
  messages.setProcedureNameSource([] {
    windows::Session* s = windows::Session::current();
    return s ? s->procedure() : std::string();
  });
  // 2. The locators' text matcher (case-insensitive, not by whole words) is
  //    base::compareKeyText, which holds no state to set up.
  // 3. The settings service.
  platform::Settings settings(directory / platform::Settings::kFileName);
  windows::Services services{directory, &messages, &frontEnd.screen, &settings};

  // 4 and 5. The frame's thread creates its session (its table and relation handles) and
  // runs Main; this thread serves the display meanwhile, since widgets live here.
  bool started = platform::startProcedure(
      [&] {
        {
          windows::Session session(services);
          Main(session, options);
        }
        frontEnd.quit();
      },
      25000);
  if (!started) {
    std::fprintf(stderr, "Ormile: the frame's thread could not be started\n");
    return 1;
  }
  frontEnd.run();

  // The children were asked to close; serve them (their "Save Record" questions included)
  // until their threads have ended.
  bool ended = frontEnd.serveUntil([] { return platform::runningProcedures() == 0; }, kCloseWait);
  // 6. The settings service's own section, last.
  settings.finish();
  if (!ended) {
    // A window that does not close in time still uses the services on this stack: end
    // here rather than pull them away from under it.
    std::fprintf(stderr, "Ormile: a window did not close in time; ending without it\n");
    std::fflush(nullptr);
    std::_Exit(0);
  }
  return 0;
}

}  // namespace ormile::app
