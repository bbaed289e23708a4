// Program entry: the Qt application on the main thread, which is the GUI thread, and the
// program run in the current directory. The program reads no command-line argument (Qt's own
// display options aside).
#include <filesystem>

#include "app/program.h"
#include "platform/qt/qt_screen.h"
#include "tree/ormile_window.h"
#include "windows/procedures.h"

int main(int argc, char** argv) {
  using namespace ormile;
  platform::QtApplication application(argc, argv);
  platform::QtScreen screen;
  app::FrontEnd frontEnd{screen, [&] { screen.exec(); }, [&] { screen.quit(); },
                         [&](const std::function<bool()>& done, std::chrono::milliseconds timeout) {
                           return screen.serveUntil(done, timeout);
                         }};
  app::MainOptions options;
  options.sqlParts = windows::BrowseSQLParts;
  options.ormile = tree::Ormile;
  return app::runProgram(frontEnd, std::filesystem::current_path(), options);
}
