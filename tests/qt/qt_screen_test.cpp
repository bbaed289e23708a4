// The Qt front end on real widgets (offscreen): the frame as designed, window definitions
// becoming widgets at their dialog-unit places, input becoming events, the focus highlight,
// nested windows and message boxes that hold only their own window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <future>
#include <thread>

#include "app/main_frame.h"
#include "platform/qt/qt_screen.h"
#include "platform/qt/qt_support.h"
#include "tests/qt/qt_helpers.h"

namespace ormile::platform {
namespace {

using testing::drain;
using testing::nextEvent;
using testing::nextInput;
using testing::nextOf;

QFont windowFont(const char* family, int points) {
  QFont f(QString::fromLatin1(family), points);
  f.setHintingPreference(QFont::PreferVerticalHinting);
  return f;
}

QRect duRect(const QFont& f, int x, int y, int w, int h) {
  return qt::dialogBaseOf(f).rect(x, y, w, h);
}

class QtScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = screen.openFrame(app::mainFrameDef(), frameQueue);
    drain(screen, frameQueue);
    screen.frameWidget()->activateWindow();
    QApplication::setActiveWindow(screen.frameWidget());
  }
  WindowId openWindow(const WindowDef& def, WindowId owner = 0) {
    WindowId id = screen.open(def, queue, owner);
    drain(screen, queue);
    return id;
  }

  QtScreen screen;
  EventQueue frameQueue, queue;
  WindowId frame = 0;
};

TEST_F(QtScreenTest, FrameMenuAsDesigned) {
  QMainWindow* w = screen.frameWidget();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), "Ormile");
  EXPECT_EQ(qobject_cast<QMdiArea*>(w->centralWidget())->viewMode(), QMdiArea::SubWindowView);

  struct Item {
    const char* text;
    const char* tip;
    bool enabled;
  };
  struct Entry {
    const char* text;
    const char* tip;
    std::vector<Item> items;
  };
  const std::vector<Entry> bar = {
      {"E&xit", "Exit this application", {}},
      {"Ormile", "", {{"Ormile", "", true}}},
      {"SQL Parts Clauses and Components",
       "",
       {{"SQL Parts", "", true},
        {"SQL Clauses", "", false},
        {"SQL Clauses, Components and BNF", "", false}}},
      {"&Window",
       "Create and Arrange windows",
       {{"T&ile", "Make all open windows visible", true},
        {"&Cascade", "Stack all open windows", true},
        {"&Arrange Icons", "Align all window icons", true}}},
  };
  QList<QAction*> actions = w->menuBar()->actions();
  ASSERT_EQ(actions.size(), qsizetype(bar.size()));
  for (size_t i = 0; i < bar.size(); ++i) {
    SCOPED_TRACE(bar[i].text);
    QAction* a = actions[qsizetype(i)];
    EXPECT_EQ(a->text(), bar[i].text);
    EXPECT_EQ(a->statusTip(), bar[i].tip);
    EXPECT_EQ(a->menu() != nullptr, !bar[i].items.empty());
    if (!a->menu()) continue;
    QList<QAction*> items;
    for (QAction* item : a->menu()->actions())
      if (!item->isSeparator()) items.push_back(item);
    ASSERT_EQ(items.size(), qsizetype(bar[i].items.size()));
    for (size_t j = 0; j < bar[i].items.size(); ++j) {
      EXPECT_EQ(items[qsizetype(j)]->text(), bar[i].items[j].text);
      EXPECT_EQ(items[qsizetype(j)]->statusTip(), bar[i].items[j].tip);
      EXPECT_EQ(items[qsizetype(j)]->isEnabled(), bar[i].items[j].enabled);
    }
  }

  // The items' actions: "SQL Parts" reaches the frame's queue with its command, Exit closes
  // the frame the standard way, which asks the frame's procedure and leaves the frame open.
  actions[2]->menu()->actions()[0]->trigger();
  auto chosen = nextInput(screen, frameQueue);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->kind, EventKind::Accepted);
  EXPECT_EQ(chosen->control, app::kCommandSqlParts);
  EXPECT_EQ(chosen->window, frame);
  actions[0]->trigger();
  auto closing = nextInput(screen, frameQueue);
  ASSERT_TRUE(closing);
  EXPECT_EQ(closing->kind, EventKind::CloseWindow);
  EXPECT_TRUE(w->isVisible());
}

TEST_F(QtScreenTest, FrameToolBarAndStatusBarAsDesigned) {
  struct Tool {
    int control;
    const char* icon;
    const char* tip;
    bool enabled, visible;
  };
  const Tool table[] = {
      {3006, "VCRFIRST", "Go to the First Page", false, true},
      {3008, "VCRPRIOR", "Go to the Prior Page", false, true},
      {3010, "VCRUP", "Go to the Prior Record", false, true},
      {3011, "FIND", "Locate record", false, true},
      {3009, "VCRDOWN", "Go to the Next Record", false, true},
      {3007, "VCRNEXT", "Go to the Next Page", false, true},
      {3005, "VCRLAST", "Go to the Last Page", false, true},
      {3004, "MARK", "Select This Record", false, true},
      {3001, "INSERT", "Insert a New Record", false, true},
      {3002, "EDIT", "Edit This Record", false, true},
      {3003, "DELETE", "Delete This Record", false, true},
      {3012, "DITTO", "Previous value", false, true},
      {3013, "HELP", "Get Help", false, true},
      {3119, "REFRESH2", "", true, true},
      {3120, "EXPTREE2", "", true, true},
      {3122, "EXPNODE2", "", true, true},
      {3121, "CONTREE2", "", true, false},
      {3123, "CONNODE2", "", true, false},
  };
  QMainWindow* w = screen.frameWidget();
  auto* bar = w->findChild<QToolBar*>("toolbar");
  ASSERT_NE(bar, nullptr);
  std::vector<QAction*> buttons;
  for (QAction* a : bar->actions())
    if (a->data().isValid()) buttons.push_back(a);
  ASSERT_EQ(buttons.size(), std::size(table));
  for (size_t i = 0; i < std::size(table); ++i) {
    SCOPED_TRACE(table[i].control);
    EXPECT_EQ(buttons[i]->data().toInt(), table[i].control);
    EXPECT_EQ(buttons[i]->property("iconName").toString(), table[i].icon);
    EXPECT_EQ(buttons[i]->toolTip(), table[i].tip);
    EXPECT_EQ(buttons[i]->isVisible(), table[i].visible);
    if (table[i].visible) {
      EXPECT_EQ(buttons[i]->isEnabled(), table[i].enabled);  // a hidden action is never enabled
    }
    EXPECT_FALSE(buttons[i]->icon().isNull());
  }

  // A press reaches the frame's queue with its control number.
  buttons[13]->trigger();
  auto press = nextInput(screen, frameQueue);
  ASSERT_TRUE(press);
  EXPECT_EQ(press->kind, EventKind::Accepted);
  EXPECT_EQ(press->control, 3119);

  // Caption, designed size and status bar sections (the rest, 80, 120, 45 dialog units) in
  // the frame font's units.
  QFont tahoma = windowFont("Tahoma", 8);
  EXPECT_EQ(QFontInfo(w->font()).family(), "Tahoma");
  EXPECT_EQ(w->size(), duRect(tahoma, 0, 0, 523, 345).size());
  EXPECT_EQ(w->pos(), QPoint(0, 0));
  std::vector<int> widths;
  for (QLabel* l : w->statusBar()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
    widths.push_back(l->maximumWidth());
  ASSERT_EQ(widths.size(), 4u);
  EXPECT_EQ(widths[1], duRect(tahoma, 0, 0, 80, 0).width());
  EXPECT_EQ(widths[2], duRect(tahoma, 0, 0, 120, 0).width());
  EXPECT_EQ(widths[3], duRect(tahoma, 0, 0, 45, 0).width());
}

TEST(QtFonts, WindowFontsHaveTheirMetrics) {
  // The layouts come out as designed only with the fonts' own metrics: the registered
  // metric-compatible Tahoma and MS Sans Serif, Verdana falling back to DejaVu Sans.
  qt::registerWindowFonts();
  struct Case {
    const char* family;
    bool bold;
    const char* shown;
  };
  for (const Case& c :
       {Case{"Tahoma", false, "Tahoma"}, Case{"Tahoma", true, "Tahoma"},
        Case{"MS Sans Serif", false, "MS Sans Serif"}, Case{"Verdana", false, "DejaVu Sans"}}) {
    SCOPED_TRACE(c.family);
    QFont f = qt::fontOf(Font{c.family, 8, c.bold});
    EXPECT_EQ(QFontInfo(f).family(), c.shown);
    EXPECT_EQ(QFontInfo(f).bold(), c.bold);
  }
  // The system's units at 96 dots per inch: 6 x 13 pixels for 4 x 8 dialog units, from the
  // 52 letters' average width and the fonts' own character height.
  ASSERT_EQ(QApplication::primaryScreen()->logicalDotsPerInch(), 96);
  for (const char* family : {"Tahoma", "MS Sans Serif"}) {
    SCOPED_TRACE(family);
    qt::DialogBase base = qt::dialogBaseOf(qt::fontOf(Font{family, 8, false}));
    EXPECT_EQ(base.x, 6);
    EXPECT_EQ(base.y, 13);
  }
}

WindowDef sampleWindow(const char* family) {
  WindowDef w;
  w.procedure = "Sample";
  w.caption = "Sample Window";
  w.x = 10;
  w.y = 8;
  w.width = 200;
  w.height = 150;
  w.font = {family, 8, false};
  auto add = [&](ControlKind kind, const char* label, const char* text, int x, int y, int width,
                 int height, int parent = 0) {
    ControlDef c;
    c.kind = kind;
    c.label = label;
    c.text = text;
    c.x = x;
    c.y = y;
    c.width = width;
    c.height = height;
    c.parent = parent;
    return w.add(c);
  };
  add(ControlKind::Prompt, "?Name:Prompt", "&Name:", 4, 6, 30, 10);    // 1
  add(ControlKind::Entry, "?Name", "", 40, 4, 60, 10);                 // 2
  add(ControlKind::Button, "?OK", "&OK", 110, 4, 40, 14);              // 3
  int list = add(ControlKind::List, "?Browse:1", "", 4, 22, 150, 60);  // 4
  w.controls[size_t(list - 1)].columns = {{"Number", 50, Align::Right, 4, Align::Left, "@n-14"},
                                          {"Name", 80, Align::Left, 2, Align::Left, "@s60"}};
  add(ControlKind::Sheet, "?CurrentTab", "", 4, 86, 150, 50);                  // 5
  int one = add(ControlKind::Tab, "?Tab:1", "By &Number", 0, 0, 0, 0);         // 6
  int two = add(ControlKind::Tab, "?Tab:2", "By N&ame", 0, 0, 0, 0);           // 7
  add(ControlKind::Entry, "?Locator", "", 10, 104, 50, 10, two);               // 8
  add(ControlKind::Panel, "?Panel", "", 160, 22, 36, 40);                      // 9
  int bold = add(ControlKind::Display, "?Count", "12", 160, 70, 30, 10, one);  // 10
  w.controls[size_t(bold - 1)].font = {"Verdana", 10, true};
  return w;
}

TEST(QtText, PromptsLoseTheirMnemonicMarksOnly) {
  struct Case {
    const char* text;
    const char* shown;
  } cases[] = {{"&Insert", "Insert"},
               {"Co&llapse All", "Collapse All"},
               {"Fish && Chips", "Fish & Chips"},
               {"BNF Header & Text", "BNF Header & Text"},  // marks no letter: it is text
               {"Trailing &", "Trailing &"}};
  for (const auto& c : cases)
    EXPECT_EQ(qt::withoutMnemonic(QString::fromUtf8(c.text)).toStdString(), c.shown) << c.text;
}

TEST_F(QtScreenTest, DefinitionBecomesWidgetsAtDialogUnitPlaces) {
  for (const char* family : {"Tahoma", "MS Sans Serif"}) {
    SCOPED_TRACE(family);
    WindowDef def = sampleWindow(family);
    WindowId id = openWindow(def);
    QMdiSubWindow* sub = screen.subWindow(id);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->windowTitle(), "Sample Window");
    QFont font = windowFont(family, 8);
    EXPECT_EQ(screen.content(id)->size(), duRect(font, 0, 0, 200, 150).size());
    EXPECT_EQ(sub->pos(), duRect(font, 10, 8, 0, 0).topLeft());

    struct Expect {
      int control;
      const char* type;
      int x, y, w, h;
    };
    const Expect table[] = {{1, "QLabel", 4, 6, 30, 10},        {2, "QLineEdit", 40, 4, 60, 10},
                            {3, "QPushButton", 110, 4, 40, 14}, {4, "QTreeView", 4, 22, 150, 60},
                            {5, "QTabWidget", 4, 86, 150, 50},  {8, "QLineEdit", 10, 104, 50, 10},
                            {9, "QFrame", 160, 22, 36, 40},     {10, "QLabel", 160, 70, 30, 10}};
    for (const Expect& e : table) {
      SCOPED_TRACE(e.control);
      QWidget* w = screen.controlWidget(id, e.control);
      ASSERT_NE(w, nullptr);
      EXPECT_TRUE(w->inherits(e.type)) << w->metaObject()->className();
      EXPECT_EQ(w->geometry(), duRect(font, e.x, e.y, e.w, e.h));
    }
    EXPECT_EQ(qobject_cast<QLabel*>(screen.controlWidget(id, 1))->text(), "Name:");
    EXPECT_EQ(qobject_cast<QPushButton*>(screen.controlWidget(id, 3))->text(), "&OK");
    EXPECT_EQ(QFontInfo(screen.controlWidget(id, 2)->font()).family(), family);
    EXPECT_EQ(QFontInfo(screen.controlWidget(id, 10)->font()).family(), "DejaVu Sans");
    EXPECT_TRUE(QFontInfo(screen.controlWidget(id, 10)->font()).bold());

    auto* list = qobject_cast<QTreeView*>(screen.controlWidget(id, 4));
    EXPECT_EQ(list->header()->sectionSize(0), duRect(font, 0, 0, 50, 0).width());
    EXPECT_EQ(list->header()->sectionSize(1), duRect(font, 0, 0, 80, 0).width());
    EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(), "Number");
    screen.showList(id, 4, {{"1", "Foundation"}, {"2", "Framework"}}, 1);
    EXPECT_EQ(list->model()->rowCount(), 2);
    EXPECT_EQ(list->model()->index(1, 1).data().toString(), "Framework");
    EXPECT_EQ(list->currentIndex().row(), 1);
    EXPECT_TRUE(list->model()->index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignRight);

    // Controls of a tab show while their tab is the sheet's current one.
    auto* sheet = qobject_cast<QTabWidget*>(screen.controlWidget(id, 5));
    EXPECT_EQ(sheet->count(), 2);
    EXPECT_EQ(sheet->tabText(1), "By N&ame");
    EXPECT_FALSE(screen.controlWidget(id, 8)->isVisible());
    EXPECT_TRUE(screen.controlWidget(id, 10)->isVisible());
    screen.selectTab(id, 5, 1);
    EXPECT_TRUE(screen.controlWidget(id, 8)->isVisible());
    EXPECT_FALSE(screen.controlWidget(id, 10)->isVisible());

    // Properties set by the procedure.
    screen.setText(id, 2, "Ä text");
    EXPECT_EQ(qobject_cast<QLineEdit*>(screen.controlWidget(id, 2))->text(), "Ä text");
    screen.setEnabled(id, 3, false);
    EXPECT_FALSE(screen.controlWidget(id, 3)->isEnabled());
    screen.setVisible(id, 1, false);
    EXPECT_FALSE(screen.controlWidget(id, 1)->isVisible());
    screen.close(id);
    EXPECT_EQ(screen.subWindow(id), nullptr);
  }
}

TEST_F(QtScreenTest, InputBecomesEvents) {
  WindowId id = openWindow(sampleWindow("Tahoma"));
  screen.showList(id, 4, {{"1", "Alpha"}, {"2", "Beta"}, {"3", "Gamma"}}, 0);
  drain(screen, queue);
  auto* entry = qobject_cast<QLineEdit*>(screen.controlWidget(id, 2));
  auto* ok = qobject_cast<QPushButton*>(screen.controlWidget(id, 3));
  auto* list = qobject_cast<QTreeView*>(screen.controlWidget(id, 4));
  auto expectNext = [&](EventKind kind, int control, int row, int key, const char* text) {
    auto e = nextInput(screen, queue);
    ASSERT_TRUE(e) << "no event";
    EXPECT_EQ(e->kind, kind);
    EXPECT_EQ(e->window, id);
    EXPECT_EQ(e->control, control);
    if (row >= 0) {
      EXPECT_EQ(e->row, row);
    }
    if (key) {
      EXPECT_EQ(e->key, key);
    }
    if (text) {
      EXPECT_EQ(e->text, text);
    }
  };

  // A pressed button; an edited entry posts its text before the button that took the focus.
  QTest::mouseClick(ok, Qt::LeftButton);
  expectNext(EventKind::Accepted, 3, -1, 0, "");
  entry->setFocus();
  QTest::keyClicks(entry, "Ärger");
  QTest::mouseClick(ok, Qt::LeftButton);
  expectNext(EventKind::Accepted, 2, -1, 0, "Ärger");
  expectNext(EventKind::Accepted, 3, -1, 0, "");
  // Enter in an entry leaves it too; no second report of an unchanged entry.
  entry->setFocus();
  QTest::keyClick(entry, Qt::Key_X);
  QTest::keyClick(entry, Qt::Key_Return);
  expectNext(EventKind::Accepted, 2, -1, 0, "Ärgerx");
  QTest::keyClick(entry, Qt::Key_Apostrophe, Qt::ControlModifier);
  expectNext(EventKind::Key, 2, -1, 0x2DE, nullptr);

  // The list: a click, a double click, a typed character, moves at the page's edges.
  QRect third = list->visualRect(list->model()->index(2, 1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
  expectNext(EventKind::NewSelection, 4, 2, 0, nullptr);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third.center());
  expectNext(EventKind::DoubleClick, 4, 2, 0, nullptr);
  QTest::keyClick(list, Qt::Key_G);
  expectNext(EventKind::Locate, 4, -1, 0, "g");
  QTest::keyClick(list, Qt::Key_Down);
  expectNext(EventKind::Scroll, 4, -1, ScrollDown, nullptr);
  QTest::keyClick(list, Qt::Key_Up);
  expectNext(EventKind::NewSelection, 4, 1, 0, nullptr);
  const std::pair<Qt::Key, int> keys[] = {{Qt::Key_PageDown, PageDown},
                                          {Qt::Key_PageUp, PageUp},
                                          {Qt::Key_Home, ScrollTop},
                                          {Qt::Key_End, ScrollBottom}};
  for (auto [key, scroll] : keys) {
    QTest::keyClick(list, key);
    expectNext(EventKind::Scroll, 4, -1, scroll, nullptr);
  }
  // A page shown by the procedure is not the user's selection.
  screen.showList(id, 4, {{"4", "Delta"}}, 0);

  // The sheet's tabs; the procedure's own selectTab is not reported.
  auto* sheet = qobject_cast<QTabWidget*>(screen.controlWidget(id, 5));
  screen.selectTab(id, 5, 1);
  sheet->setCurrentIndex(0);
  expectNext(EventKind::TabChanged, 5, 0, 0, nullptr);

  // The timer, and the close box, which asks and leaves the window open.
  screen.setTimer(id, 1);
  expectNext(EventKind::Timer, 0, -1, 0, nullptr);
  screen.setTimer(id, 0);
  drain(screen, queue);
  screen.subWindow(id)->close();
  expectNext(EventKind::CloseWindow, 0, -1, 0, nullptr);
  EXPECT_TRUE(screen.subWindow(id)->isVisible());

  // Moves and resizes come back in dialog units.
  QFont font = windowFont("Tahoma", 8);
  QRect target = duRect(font, 30, 20, 240, 170);
  screen.subWindow(id)->move(target.topLeft());
  auto moved = nextOf(screen, queue, EventKind::Placement);
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->placement.x, 30);
  EXPECT_EQ(moved->placement.y, 20);
  EXPECT_EQ(moved->placement.width, 200);
  EXPECT_EQ(moved->placement.height, 150);
}

TEST_F(QtScreenTest, FocusHighlightMarksEntriesAndLists) {
  WindowId id = openWindow(sampleWindow("Tahoma"));
  QFont font = windowFont("Tahoma", 8);
  QWidget* canvas = screen.content(id);
  auto* box = canvas->findChild<QWidget*>("focusBox");
  auto* marker = canvas->findChild<QLabel*>("focusMarker");
  ASSERT_TRUE(box && marker);
  QWidget* entry = screen.controlWidget(id, 2);
  QWidget* list = screen.controlWidget(id, 4);
  QWidget* ok = screen.controlWidget(id, 3);
  const QColor yellow(255, 255, 0);

  entry->setFocus();
  ASSERT_TRUE(entry->hasFocus());
  EXPECT_EQ(entry->palette().color(QPalette::Base), yellow);
  EXPECT_TRUE(entry->font().bold());
  EXPECT_TRUE(box->isVisible());
  QRect around = duRect(font, 40 - 2, 4 - 2, 60 + 4, 10 + 4);
  EXPECT_NEAR(box->geometry().left(), around.left(), 1);
  EXPECT_NEAR(box->geometry().right(), around.right(), 1);
  EXPECT_NEAR(box->geometry().top(), around.top(), 1);
  EXPECT_NEAR(box->geometry().bottom(), around.bottom(), 1);
  EXPECT_EQ(marker->text(), QString(QChar(0xBB)));
  EXPECT_EQ(marker->palette().color(QPalette::WindowText), QColor(128, 128, 128));
  EXPECT_EQ(marker->x(), duRect(font, 40, 0, 0, 0).x() - duRect(font, 8, 0, 0, 0).x());

  // A list gets the box and the marker only; the entry is plain again.
  list->setFocus();
  EXPECT_NE(entry->palette().color(QPalette::Base), yellow);
  EXPECT_FALSE(entry->font().bold());
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(marker->x(), duRect(font, 4, 0, 0, 0).x() - duRect(font, 8, 0, 0, 0).x());
  EXPECT_FALSE(list->font().bold());

  // Buttons are never highlighted.
  ok->setFocus();
  EXPECT_FALSE(box->isVisible());
  EXPECT_FALSE(marker->isVisible());

  // A window without the highlight.
  WindowDef plainDef = sampleWindow("Tahoma");
  plainDef.focusHighlight = false;
  WindowId other = openWindow(plainDef);
  screen.controlWidget(other, 2)->setFocus();
  EXPECT_FALSE(screen.content(other)->findChild<QWidget*>("focusBox")->isVisible());
  EXPECT_NE(screen.controlWidget(other, 2)->palette().color(QPalette::Base), yellow);
}

TEST_F(QtScreenTest, NestedWindowHoldsItsOwnerUntilItCloses) {
  WindowId owner = openWindow(sampleWindow("Tahoma"));
  WindowId other = openWindow(sampleWindow("Tahoma"));
  WindowId nested = openWindow(sampleWindow("Tahoma"), owner);
  EXPECT_FALSE(screen.content(owner)->isEnabled());
  EXPECT_TRUE(screen.content(other)->isEnabled());
  EXPECT_TRUE(screen.content(nested)->isEnabled());
  EXPECT_EQ(screen.activeChild().first, nested);
  screen.close(nested);
  EXPECT_TRUE(screen.content(owner)->isEnabled());
  EXPECT_EQ(screen.activeChild().first, owner);
}

TEST_F(QtScreenTest, MessageBoxBlocksOnlyTheAskingThreadAndWindow) {
  WindowId asking = openWindow(sampleWindow("Tahoma"));
  WindowId other = openWindow(sampleWindow("Tahoma"));
  struct Case {
    base::Buttons buttons;
    std::vector<const char*> texts;
    int press;
    base::Answer answer;
  };
  const Case cases[] = {
      {base::Buttons::Ok, {"OK"}, 0, base::Answer::Ok},
      {base::Buttons::YesNo, {"&Yes", "&No"}, 1, base::Answer::No},
      {base::Buttons::YesNoCancel, {"&Yes", "&No", "Cancel"}, 0, base::Answer::Yes},
      {base::Buttons::AbortIgnore, {"&Abort", "&Ignore"}, 1, base::Answer::Ignore},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.texts.size());
    base::ShownMessage m;
    m.level = base::Level::User;
    m.title = "Stop";
    m.text = "First line\nSecond line";
    m.buttons = c.buttons;
    std::promise<base::Answer> answered;
    std::future<base::Answer> answer = answered.get_future();
    std::thread procedure([&] { answered.set_value(screen.ask(asking, m)); });
    QMessageBox* box = testing::waitForBox(screen);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "Stop");
    EXPECT_EQ(box->text(), "First line\nSecond line");
    std::vector<QString> texts;
    QAbstractButton* press = nullptr;
    for (QAbstractButton* b : box->buttons()) texts.push_back(b->text());
    ASSERT_EQ(texts.size(), c.texts.size());
    for (const char* t : c.texts)
      EXPECT_NE(std::find(texts.begin(), texts.end(), QString(t)), texts.end()) << t;
    for (QAbstractButton* b : box->buttons())
      if (b->text() == c.texts[size_t(c.press)]) press = b;
    // Only the asking window is held; the asking thread waits.
    EXPECT_FALSE(screen.content(asking)->isEnabled());
    EXPECT_TRUE(screen.content(other)->isEnabled());
    EXPECT_EQ(answer.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    QTest::mouseClick(press, Qt::LeftButton);
    screen.serveUntil(
        [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        testing::kPatience);
    procedure.join();
    EXPECT_EQ(answer.get(), c.answer);
    EXPECT_TRUE(screen.content(asking)->isEnabled());
  }

  // Asked on the GUI thread itself, the box runs there.
  QTimer::singleShot(0, [&] {
    if (QMessageBox* box = testing::waitForBox(screen)) box->buttons()[0]->click();
  });
  base::ShownMessage m;
  m.title = "Note";
  m.text = "On the GUI thread";
  EXPECT_EQ(screen.ask(0, m), base::Answer::Ok);
}

}  // namespace
}  // namespace ormile::platform
