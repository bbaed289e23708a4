// The program on the Qt front end, offscreen, with real threads: start-up and shutdown, the
// frame procedure Main (menu items start windows on new threads, tool bar presses go to the
// active window), the splash, and placements through dvak.INI.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "app/main_frame.h"
#include "app/program.h"
#include "app/tree_splash.h"
#include "bnf/element_extraction.h"
#include "bnf/structure_rows.h"
#include "platform/ini_file.h"
#include "platform/procedure.h"
#include "platform/qt/flat_tree.h"
#include "platform/qt/qt_screen.h"
#include "platform/qt/qt_support.h"
#include "platform/settings.h"
#include "tests/qt/qt_helpers.h"
#include "tests/support/test_support.h"
#include "tools/grammar_import.h"
#include "tree/ormile_window.h"

namespace ormile::app {
namespace {

namespace fs = std::filesystem;
namespace qt = platform::qt;
using platform::Event;
using platform::EventKind;
using platform::QtScreen;
using platform::WindowId;
using platform::testing::kPatience;

// Windows that the test's stand-in for a menu procedure opened, and the presses they got.
// Thread-safe.
class Recorder {
 public:
  struct Opened {
    WindowId window = 0;
    std::thread::id thread;
    const windows::Session* session = nullptr;
    bool current = false;  // the session is its thread's current one
    std::vector<int> presses;
    bool closedByRequest = false;
  };
  void opened(Opened o) {
    std::lock_guard lock(mutex_);
    windows_.push_back(o);
  }
  void pressed(WindowId w, int control) {
    std::lock_guard lock(mutex_);
    for (auto& o : windows_)
      if (o.window == w) o.presses.push_back(control);
  }
  void closed(WindowId w) {
    std::lock_guard lock(mutex_);
    for (auto& o : windows_)
      if (o.window == w) o.closedByRequest = true;
  }
  std::vector<Opened> windows() const {
    std::lock_guard lock(mutex_);
    return windows_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Opened> windows_;  // guarded by mutex_
};

// A browse window in miniature: opens, records, closes when asked.
void recordingWindow(windows::Session& s, Recorder& r) {
  s.pushProcedure("BrowseSQLParts");
  platform::WindowDef def;
  def.procedure = "BrowseSQLParts";
  def.caption = "Browse the SQLParts File";
  def.width = 200;
  def.height = 100;
  platform::ControlDef insert;
  insert.kind = platform::ControlKind::Button;
  insert.text = "&Insert";
  insert.x = 10;
  insert.y = 10;
  insert.width = 45;
  insert.height = 14;
  def.add(insert);
  WindowId w = s.screen().open(def, s.events());
  s.windows.push_back(w);
  r.opened({w, std::this_thread::get_id(), &s, windows::Session::current() == &s, {}, false});
  for (;;) {
    Event e = s.events().take();
    if (e.kind == EventKind::CloseWindow) break;
    if (e.kind == EventKind::Accepted) r.pressed(e.window, e.control);
  }
  r.closed(w);
  s.screen().close(w);
  s.windows.pop_back();
  s.popProcedure();
}

QAction* menuItem(QMainWindow* frame, const QString& menu, const QString& item) {
  for (QAction* a : frame->menuBar()->actions())
    if (a->text() == menu && a->menu())
      for (QAction* i : a->menu()->actions())
        if (i->text() == item) return i;
  return nullptr;
}

QAction* tool(QMainWindow* frame, int control) {
  for (QAction* a : frame->findChild<QToolBar*>("toolbar")->actions())
    if (a->data().toInt() == control) return a;
  return nullptr;
}

QMdiSubWindow* subWindowNamed(QMainWindow* frame, const char* name) {
  for (QMdiSubWindow* s : qobject_cast<QMdiArea*>(frame->centralWidget())->subWindowList())
    if (s->objectName() == name) return s;
  return nullptr;
}

// Saves a picture of a widget where ORMILE_SHOTS names a folder (for looking at them).
void shoot(QWidget* w, const char* name) {
  if (const char* dir = std::getenv("ORMILE_SHOTS"))
    w->grab().save(QString::fromUtf8(dir) + "/" + name + ".png");
}

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    dir = fs::temp_directory_path() /
          ("ormile_qt_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~ProgramTest() override { fs::remove_all(dir); }

  // Runs the whole program in the test's directory; `body` runs on the GUI thread once the
  // frame is up, and the program is then ended through "E&xit". Returns the exit status.
  int run(const std::function<void(QtScreen&, QMainWindow*)>& body, MainOptions options = {}) {
    if (!options.sqlParts)
      options.sqlParts = [this](windows::Session& s) { recordingWindow(s, recorder); };
    QtScreen screen;
    FrontEnd frontEnd{screen, [&] { screen.exec(); }, [&] { screen.quit(); },
                      [&](const std::function<bool()>& done, std::chrono::milliseconds t) {
                        return screen.serveUntil(done, t);
                      }};
    QTimer::singleShot(0, [&] {
      bool up = screen.serveUntil([&] { return screen.frameWidget() != nullptr; }, kPatience);
      EXPECT_TRUE(up);
      if (up) {
        body(screen, screen.frameWidget());
        menuItemExit(screen.frameWidget())->trigger();
      } else {
        screen.quit();
      }
    });
    int status = runProgram(frontEnd, dir, options);
    EXPECT_TRUE(platform::waitForProcedures(kPatience));
    return status;
  }
  static QAction* menuItemExit(QMainWindow* frame) { return frame->menuBar()->actions()[0]; }
  platform::IniFile ini() const { return platform::IniFile(dir / "dvak.INI"); }
  // The splash's thread is only in the way of tests that are not about it.
  static MainOptions noSplash() {
    MainOptions o;
    o.splash = [](windows::Session&) {};
    return o;
  }

  fs::path dir;
  Recorder recorder;
};

TEST_F(ProgramTest, MenuItemOpensItsWindowOnANewThreadEachTime) {
  std::thread::id gui = std::this_thread::get_id();
  int status = run(
      [&](QtScreen& screen, QMainWindow* frame) {
        QAction* parts = menuItem(frame, "SQL Parts Clauses and Components", "SQL Parts");
        ASSERT_NE(parts, nullptr);
        parts->trigger();
        parts->trigger();
        ASSERT_TRUE(screen.serveUntil(
            [&] { return recorder.windows().size() == 2 && screen.childWindows().size() == 2; },
            kPatience));
        auto opened = recorder.windows();
        EXPECT_NE(opened[0].thread, opened[1].thread);
        EXPECT_NE(opened[0].thread, gui);
        EXPECT_NE(opened[1].thread, gui);
        EXPECT_NE(opened[0].session, opened[1].session);
        EXPECT_TRUE(opened[0].current && opened[1].current);
        EXPECT_EQ(screen.subWindow(opened[1].window)->windowTitle(), "Browse the SQLParts File");

        // A tool bar press goes to the active window's thread as the same press.
        auto* area = qobject_cast<QMdiArea*>(frame->centralWidget());
        area->setActiveSubWindow(screen.subWindow(opened[0].window));
        ASSERT_EQ(screen.activeChild().first, opened[0].window);
        screen.setToolEnabled(opened[0].window, kToolInsert, true);
        ASSERT_TRUE(tool(frame, kToolInsert)->isEnabled());
        tool(frame, kToolInsert)->trigger();
        EXPECT_TRUE(
            screen.serveUntil([&] { return !recorder.windows()[0].presses.empty(); }, kPatience));
        // The other window's tool bar state is its own: the press is off there.
        area->setActiveSubWindow(screen.subWindow(opened[1].window));
        EXPECT_FALSE(tool(frame, kToolInsert)->isEnabled());
      },
      noSplash());
  EXPECT_EQ(status, 0);
  auto opened = recorder.windows();
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].presses, std::vector<int>{kToolInsert});
  EXPECT_TRUE(opened[1].presses.empty());
  // Ending the program asked both windows to close.
  EXPECT_TRUE(opened[0].closedByRequest && opened[1].closedByRequest);
}

TEST_F(ProgramTest, ToolBarPressOnTheBareFrameReachesNoWindow) {
  int status = run(
      [&](QtScreen& screen, QMainWindow* frame) {
        EXPECT_EQ(screen.activeChild().second, nullptr);
        screen.setToolEnabled(0, kToolInsert, true);
        tool(frame, kToolInsert)->trigger();
        // The frame goes on: a window opened afterwards got no press.
        menuItem(frame, "SQL Parts Clauses and Components", "SQL Parts")->trigger();
        ASSERT_TRUE(screen.serveUntil([&] { return recorder.windows().size() == 1; }, kPatience));
      },
      noSplash());
  EXPECT_EQ(status, 0);
  ASSERT_EQ(recorder.windows().size(), 1u);
  EXPECT_TRUE(recorder.windows()[0].presses.empty());
}

TEST_F(ProgramTest, WithoutSettingsFileFrameOpensAsDesignedAndFileIsWritten) {
  ASSERT_FALSE(fs::exists(dir / "dvak.INI"));
  int status = run(
      [&](QtScreen&, QMainWindow* frame) {
        qt::DialogBase base = qt::dialogBaseOf(qt::fontOf(platform::Font{"Tahoma", 8, false}));
        EXPECT_EQ(frame->pos(), QPoint(0, 0));
        EXPECT_EQ(frame->size(), QSize(base.px(523), base.py(345)));
        EXPECT_FALSE(frame->isMaximized());
        shoot(frame, "frame");
      },
      noSplash());
  EXPECT_EQ(status, 0);
  ASSERT_TRUE(fs::exists(dir / "dvak.INI"));
  platform::IniFile file = ini();
  EXPECT_EQ(file.get("Main", "Maximize"), "No");
  EXPECT_EQ(file.get("Main", "Minimize"), "No");
  EXPECT_EQ(file.get("Main", "XPos"), "0");
  EXPECT_EQ(file.get("Main", "YPos"), "0");
  EXPECT_EQ(file.get("Main", "Width"), "523");
  EXPECT_EQ(file.get("Main", "Height"), "345");
  EXPECT_EQ(file.get("__Dont_Touch_Me__", "Sectors"), "0");
  ASSERT_FALSE(file.sections().empty());
  EXPECT_EQ(file.sections().back(), "__Dont_Touch_Me__");
}

TEST_F(ProgramTest, FramePlacementRoundTripsThroughSettingsFile) {
  struct Case {
    const char* name;
    bool maximize;
  };
  for (const Case& c : {Case{"moved and resized", false}, Case{"maximised", true}}) {
    SCOPED_TRACE(c.name);
    fs::remove(dir / "dvak.INI");
    qt::DialogBase base = qt::dialogBaseOf(qt::fontOf(platform::Font{"Tahoma", 8, false}));
    EXPECT_EQ(run(
                  [&](QtScreen&, QMainWindow* frame) {
                    if (c.maximize) {
                      frame->showMaximized();
                    } else {
                      frame->move(base.px(40), base.py(30));
                      frame->resize(base.px(400), base.py(300));
                    }
                  },
                  noSplash()),
              0);
    platform::IniFile file = ini();
    EXPECT_EQ(file.get("Main", "Maximize"), c.maximize ? "Yes" : "No");
    EXPECT_EQ(file.get("Main", "Minimize"), "No");
    if (c.maximize) {
      for (const char* key : {"XPos", "YPos", "Width", "Height"})
        EXPECT_FALSE(file.get("Main", key)) << key;
    } else {
      EXPECT_EQ(file.get("Main", "XPos"), "40");
      EXPECT_EQ(file.get("Main", "YPos"), "30");
      EXPECT_EQ(file.get("Main", "Width"), "400");
      EXPECT_EQ(file.get("Main", "Height"), "300");
    }
    // The next start takes it back.
    EXPECT_EQ(run(
                  [&](QtScreen&, QMainWindow* frame) {
                    EXPECT_EQ(frame->isMaximized(), c.maximize);
                    if (!c.maximize) {
                      EXPECT_EQ(frame->pos(), QPoint(base.px(40), base.py(30)));
                      EXPECT_EQ(frame->size(), QSize(base.px(400), base.py(300)));
                    }
                  },
                  noSplash()),
              0);
    EXPECT_EQ(ini().get("Main", "Maximize"), c.maximize ? "Yes" : "No");
  }
}

TEST_F(ProgramTest, ChildPlacementRoundTripsThroughSettingsFile) {
  QtScreen screen;
  platform::EventQueue frameQueue, queue;
  screen.openFrame(mainFrameDef(), frameQueue);
  platform::Settings settings(dir / "dvak.INI");
  platform::WindowDef def;
  def.procedure = "BrowseSQLParts";
  def.caption = "Parts";
  def.width = 200;
  def.height = 100;
  def.maximizeBox = true;
  qt::DialogBase base = qt::dialogBaseOf(qt::fontOf(def.font));
  for (bool maximize : {false, true}) {
    SCOPED_TRACE(maximize);
    WindowId first = screen.open(def, queue);
    platform::testing::drain(screen, queue);
    if (maximize)
      screen.subWindow(first)->showMaximized();
    else
      screen.setPlacement(first, {30, 20, 240, 170, false, false});
    std::optional<Event> last;
    while (auto e = platform::testing::nextOf(screen, queue, EventKind::Placement)) {
      last = e;
      if (e->placement.maximized == maximize && (maximize || e->placement.width == 240)) break;
    }
    ASSERT_TRUE(last);
    settings.save(def.procedure, last->placement, def.resizable);
    screen.close(first);
    EXPECT_EQ(settings.file().get(def.procedure, "Maximize"), maximize ? "Yes" : "No");
    EXPECT_EQ(settings.file().get(def.procedure, "XPos").has_value(), !maximize);

    WindowId second = screen.open(def, queue);
    platform::PlacementState designed{platform::kDefaultPosition,
                                      platform::kDefaultPosition,
                                      def.width,
                                      def.height,
                                      false,
                                      false};
    screen.setPlacement(second, settings.restore(def.procedure, designed, true));
    platform::testing::drain(screen, queue);
    QMdiSubWindow* sub = screen.subWindow(second);
    EXPECT_EQ(sub->isMaximized(), maximize);
    if (!maximize) {
      EXPECT_EQ(sub->pos(), QPoint(base.px(30), base.py(20)));
      EXPECT_EQ(screen.content(second)->size(), QSize(base.px(240), base.py(170)));
    }
    screen.close(second);
  }
}

TEST_F(ProgramTest, SplashAsDesignedClosesOnClick) {
  int status = run([&](QtScreen& screen, QMainWindow* frame) {
    ASSERT_TRUE(screen.serveUntil([&] { return subWindowNamed(frame, "TreeSplash") != nullptr; },
                                  kPatience));
    QMdiSubWindow* splash = subWindowNamed(frame, "TreeSplash");
    WindowId id = screen.childWindows().at(0);
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    qt::DialogBase base = qt::dialogBaseOf(qt::fontOf(platform::Font{"Verdana", 8, false}));
    EXPECT_EQ(screen.content(id)->size(), QSize(base.px(267), base.py(116)));
    QRect area = qobject_cast<QMdiArea*>(frame->centralWidget())->viewport()->rect();
    EXPECT_NEAR(splash->geometry().center().x(), area.center().x(), 1);
    EXPECT_NEAR(splash->geometry().center().y(), area.center().y(), 1);
    std::vector<QString> lines;
    for (QLabel* l : screen.content(id)->findChildren<QLabel*>())
      if (l->objectName() != "focusMarker") lines.push_back(l->text());
    EXPECT_EQ(lines,
              (std::vector<QString>{"Ormile", "Ormile developers", "https://ormile.example"}));
    QFont title = screen.controlWidget(id, 3)->font();
    EXPECT_TRUE(title.bold());
    EXPECT_EQ(title.pointSize(), 14);
    ASSERT_TRUE(screen.serveUntil([&] { return screen.timer(id) && screen.timer(id)->isActive(); },
                                  kPatience));
    EXPECT_EQ(screen.timer(id)->interval(), 5000);
    shoot(frame, "splash");
    QTest::mouseClick(screen.content(id), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(screen.serveUntil([&] { return screen.childWindows().empty(); }, kPatience));
  });
  EXPECT_EQ(status, 0);
  // Its placement is kept, without a size: the splash is not resizable.
  EXPECT_EQ(ini().get("TreeSplash", "Maximize"), "No");
  EXPECT_TRUE(ini().get("TreeSplash", "XPos"));
  EXPECT_FALSE(ini().get("TreeSplash", "Width"));
}

TEST_F(ProgramTest, SplashClosesWhenAnotherWindowTakesFocusOrAfterFiveSeconds) {
  int status = run([&](QtScreen& screen, QMainWindow* frame) {
    ASSERT_TRUE(screen.serveUntil([&] { return subWindowNamed(frame, "TreeSplash") != nullptr; },
                                  kPatience));
    menuItem(frame, "SQL Parts Clauses and Components", "SQL Parts")->trigger();
    EXPECT_TRUE(screen.serveUntil([&] { return subWindowNamed(frame, "TreeSplash") == nullptr; },
                                  kPatience));
    EXPECT_EQ(recorder.windows().size(), 1u);
    shoot(frame, "child");
  });
  EXPECT_EQ(status, 0);

  // Untouched, it goes by itself when its timer fires.
  status = run([&](QtScreen& screen, QMainWindow* frame) {
    ASSERT_TRUE(screen.serveUntil([&] { return subWindowNamed(frame, "TreeSplash") != nullptr; },
                                  kPatience));
    EXPECT_TRUE(screen.serveUntil([&] { return subWindowNamed(frame, "TreeSplash") == nullptr; },
                                  kPatience));
  });
  EXPECT_EQ(status, 0);
}

TEST_F(ProgramTest, TreeWindowFromTheMenuShowsBothTreesOfTheRealGrammar) {
  {  // the grammar with its elements and structure rows, as ormile-tool would make them
    std::ifstream in(ORMILE_SQL99_BNF);
    ASSERT_TRUE(in) << ORMILE_SQL99_BNF;
    std::stringstream text;
    text << in.rdbuf();
    test::RecordingAnswerer quiet;
    base::MessageService messages(quiet);
    data::Session s(dir, messages);
    auto report = tool::importGrammar(s, messages, tool::parseGrammar(text.str()), {});
    ASSERT_TRUE(report.ok) << report.error;
    bnf::MakeBNFElementsForPart(s, messages, report.partId);
    bnf::MakeStructureRows(s, messages, report.partId);
  }
  MainOptions options = noSplash();
  options.ormile = tree::Ormile;
  int status = run(
      [&](QtScreen& screen, QMainWindow* frame) {
        QAction* item = menuItem(frame, "Ormile", "Ormile");
        ASSERT_NE(item, nullptr);
        item->trigger();
        QMdiSubWindow* sub = nullptr;
        ASSERT_TRUE(
            screen.serveUntil([&] { return (sub = subWindowNamed(frame, "Ormile")); }, kPatience));
        EXPECT_EQ(sub->windowTitle(), "Ormile");
        std::vector<qt::FlatTreeView*> trees;
        for (QListView* v : sub->findChildren<QListView*>())
          if (auto* t = dynamic_cast<qt::FlatTreeView*>(v)) trees.push_back(t);
        ASSERT_EQ(trees.size(), 2u);
        auto rows = [](qt::FlatTreeView* t) { return t->model()->rowCount(); };
        // The explosion list is the first tree of the definition, the where-used list the second.
        qt::FlatTreeView* explosion = trees[0];
        qt::FlatTreeView* whereUsed = trees[1];
        ASSERT_TRUE(screen.serveUntil([&] { return rows(explosion) > 0; }, kPatience));
        int roots = rows(explosion);
        QPushButton* explodeAll = nullptr;
        for (QPushButton* b : sub->findChildren<QPushButton*>())
          if (b->text() == "Explode &All") explodeAll = b;
        ASSERT_NE(explodeAll, nullptr);
        EXPECT_TRUE(explodeAll->font().bold()) << "the tree window's buttons are bold";
        EXPECT_TRUE(QFontInfo(explodeAll->font()).bold());
        explodeAll->click();
        ASSERT_TRUE(screen.serveUntil([&] { return rows(explosion) > 50 * roots; }, kPatience));
        EXPECT_TRUE(screen.serveUntil([&] { return !explodeAll->isEnabled(); }, kPatience));
        explosion->setCurrentIndex(explosion->model()->index(3, 0));
        screen.serveUntil([] { return false; }, std::chrono::milliseconds(300));
        shoot(sub, "ormile_explosion");
        QTabWidget* tabs = sub->findChild<QTabWidget*>();
        ASSERT_NE(tabs, nullptr);
        tabs->setCurrentIndex(1);
        whereUsed->setFocus();
        QTest::keyClick(whereUsed, Qt::Key_Down, Qt::ShiftModifier);  // Explode All of this tree
        ASSERT_TRUE(screen.serveUntil([&] { return rows(whereUsed) > 700000; }, kPatience));
        whereUsed->setCurrentIndex(whereUsed->model()->index(2, 0));
        screen.serveUntil([] { return false; }, std::chrono::milliseconds(300));
        shoot(sub, "ormile_where_used");
      },
      options);
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace ormile::app
