// The windows tests' fixture: a temporary data directory with real files, the headless
// screen, message boxes shown on it, and window procedures started on threads of their own,
// each with its own session, as the frame starts them.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless/headless_screen.h"
#include "platform/settings.h"
#include "tests/support/test_support.h"
#include "windows/procedures.h"
#include "windows/session.h"

namespace ormile::test {

class WindowsTest : public DataTest {
 protected:
  WindowsTest();
  ~WindowsTest() override;

  windows::Services services() { return {dir_, &screenMessages_, &screen_, &settings_}; }
  // Starts `procedure` on a new thread with a session of its own. The tests join their
  // threads themselves, so every thread has ended before the fixture goes.
  void start(std::function<void(windows::Session&)> procedure);
  // Starts BrowseSQLParts and waits until its window number `count` is open and idle.
  platform::WindowId startBrowse(int count = 1);
  // Starts a select window with the select request (or none); its response is kept.
  void startSelect(windows::Response (*procedure)(windows::Session&), bool selectRequest);
  // Closes every window still open and waits for their threads.
  void closeAll();

  // A part with the given fields, added straight to the file.
  void seedPart(int id, const std::string& name, const std::string& ansi = {}, int32_t date = 0);
  // The SQLParts rows as the file holds them now: id and name.
  std::vector<std::pair<int, std::string>> parts();

  std::vector<std::string> column(platform::WindowId w, int column);

  platform::HeadlessScreen screen_;
  windows::ScreenAnswerer answerer_{screen_};
  base::MessageService screenMessages_{answerer_};
  platform::Settings settings_{dir_ / platform::Settings::kFileName};
  std::atomic<int> response_{-1};       // of the last select window
  std::atomic<int32_t> selectedId_{0};  // its SQLParts record's id
  std::atomic<int> programEnds_{0};
  std::atomic<int> running_{0};
  std::vector<std::thread> threads_;  // test thread only
};

}  // namespace ormile::test
