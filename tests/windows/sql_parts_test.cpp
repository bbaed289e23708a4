// The SQL part windows driven headless: numbering, the form's questions and checks, the
// relation rules, the locator, the orders, select mode, history and the tool bar.
#include <gtest/gtest.h>

#include "base/dates.h"
#include "tests/windows/windows_fixture.h"

namespace ormile::test {
namespace {

using base::Answer;
using data::Handle;
using platform::WindowId;
using windows::Response;

const char* kList = "?Browse:1";

class SqlPartsTest : public WindowsTest {
 protected:
  // Presses "&Insert" and returns the form.
  WindowId insertForm(WindowId browse) {
    EXPECT_TRUE(screen_.press(browse, "?Insert:2"));
    WindowId form = screen_.waitWindow("UpdateSQLParts");
    EXPECT_TRUE(screen_.waitIdle());
    return form;
  }
  void typeIn(WindowId form, const std::string& label, const std::string& text) {
    ASSERT_TRUE(screen_.type(form, label, text));
    ASSERT_TRUE(screen_.waitIdle());
  }
  void pressAndSettle(WindowId w, const std::string& label) {
    ASSERT_TRUE(screen_.press(w, label));
    ASSERT_TRUE(screen_.waitIdle());
  }
};

TEST_F(SqlPartsTest, InsertOnAnEmptyTableNumbersThePartOne) {
  WindowId browse = startBrowse();
  EXPECT_EQ(screen_.caption(browse), "Browse the SQLParts File");
  EXPECT_TRUE(screen_.rows(browse, kList).empty());
  EXPECT_TRUE(screen_.enabled(browse, "?Insert:2"));
  EXPECT_FALSE(screen_.enabled(browse, "?Change:2"));
  EXPECT_FALSE(screen_.enabled(browse, "?Delete:2"));
  EXPECT_EQ(screen_.text(browse, "?XSRecordNbr"), "0");
  EXPECT_EQ(screen_.status(0), "Browsing Records");

  WindowId form = insertForm(browse);
  EXPECT_EQ(screen_.caption(form), "Adding a SQLParts Record");
  EXPECT_EQ(screen_.text(form, "?STD:SQLPartId"), "1");
  EXPECT_EQ(screen_.text(form, "?STD:PartName"), "");
  EXPECT_EQ(screen_.text(form, "?STD:RatificationDate"), "");
  EXPECT_EQ(screen_.focusLabel(form), "?STD:PartName");
  EXPECT_FALSE(screen_.windowEnabled(browse));

  typeIn(form, "?STD:PartName", "Foundation");
  typeIn(form, "?STD:RatificationDate", "october 17 2009");
  EXPECT_EQ(screen_.text(form, "?STD:RatificationDate"), "October 17, 2009");
  pressAndSettle(form, "?OK");

  EXPECT_FALSE(screen_.isOpen(form));
  EXPECT_EQ(parts(), (std::vector<std::pair<int, std::string>>{{1, "Foundation"}}));
  auto rows = screen_.rows(browse, kList);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "Foundation", "", "", "October 17, 2009"}));
  EXPECT_EQ(screen_.selected(browse, kList), 0);
  EXPECT_TRUE(screen_.enabled(browse, "?Change:2"));
  EXPECT_TRUE(screen_.enabled(browse, "?Delete:2"));
  auto s = newSession();
  auto& h = (*s)[Handle::SQLParts];
  h.setLong(data::fld::SQLParts::SQLPartId, 1);
  ASSERT_EQ(h.get(data::key::SQLParts::SQLPartPkey), store::ErrorCode::None);
  EXPECT_EQ(h.getLong(data::fld::SQLParts::RatificationDate), base::dayNumber({2009, 10, 17}));
}

TEST_F(SqlPartsTest, SaveRecordAnswersOnCancellingAnInsert) {
  struct Case {
    Answer answer;
    bool formStays;
    std::vector<std::pair<int, std::string>> parts;
  } cases[] = {
      {Answer::No, false, {}},
      {Answer::Yes, false, {{1, "Framework"}}},
      {Answer::Cancel, true, {{1, ""}}},  // the open form keeps its number reserved
  };
  for (const Case& c : cases) {
    WindowsTest::closeAll();
    for (auto [id, name] : parts()) {
      auto s = newSession();
      auto& h = (*s)[Handle::SQLParts];
      h.setLong(data::fld::SQLParts::SQLPartId, id);
      ASSERT_EQ(h.get(data::key::SQLParts::SQLPartPkey), store::ErrorCode::None);
      ASSERT_EQ(h.erase(), store::ErrorCode::None);
    }
    screen_.clearMessages();
    WindowId browse = startBrowse();
    WindowId form = insertForm(browse);
    typeIn(form, "?STD:PartName", "Framework");
    screen_.answerNext("Save Record", c.answer);
    pressAndSettle(form, "?Cancel");
    EXPECT_EQ(screen_.count("Save Record"), 1);
    EXPECT_EQ(screen_.isOpen(form), c.formStays);
    EXPECT_EQ(parts(), c.parts) << int(c.answer);
    if (c.formStays) {
      EXPECT_EQ(screen_.focusLabel(form), "?STD:PartName");
      screen_.answerNext("Save Record", Answer::No);
      ASSERT_TRUE(screen_.closeWindow(form));
      ASSERT_TRUE(screen_.waitIdle());
      EXPECT_TRUE(parts().empty());
    }
    // A discarded insert gives its number back.
    form = insertForm(browse);
    EXPECT_EQ(screen_.text(form, "?STD:SQLPartId"), c.answer == Answer::Yes ? "2" : "1");
    pressAndSettle(form, "?Cancel");  // nothing typed: no question
    EXPECT_FALSE(screen_.isOpen(form));
  }
}

TEST_F(SqlPartsTest, OkStopsAtAnEmptyRequiredEntryOrABadDate) {
  WindowId browse = startBrowse();
  WindowId form = insertForm(browse);
  pressAndSettle(form, "?OK");
  EXPECT_TRUE(screen_.isOpen(form));
  EXPECT_EQ(screen_.focusLabel(form), "?STD:PartName");
  EXPECT_TRUE(parts().empty() || parts()[0].second.empty());

  typeIn(form, "?STD:PartName", "Foundation");
  typeIn(form, "?STD:RatificationDate", "February 30, 2009");
  EXPECT_EQ(screen_.count("Invalid Entry"), 1);
  EXPECT_EQ(screen_.focusLabel(form), "?STD:RatificationDate");
  pressAndSettle(form, "?OK");  // the bad date is not saved
  EXPECT_TRUE(screen_.isOpen(form));
  EXPECT_EQ(screen_.count("Invalid Entry"), 2);

  typeIn(form, "?STD:PartName", "\xce\xa9 part");  // no single-byte form
  EXPECT_EQ(screen_.count("Invalid Entry"), 3);
  typeIn(form, "?STD:PartName", "Caf\xc3\xa9");
  typeIn(form, "?STD:RatificationDate", "March 1, 2001");
  pressAndSettle(form, "?OK");
  EXPECT_FALSE(screen_.isOpen(form));
  EXPECT_EQ(parts(), (std::vector<std::pair<int, std::string>>{{1, "Caf\xe9"}}));
  EXPECT_EQ(column(browse, 1), std::vector<std::string>{"Caf\xc3\xa9"});
}

TEST_F(SqlPartsTest, DeleteAsksAndKeepsAPartThatHasClauses) {
  seedPart(1, "Alpha");
  seedPart(2, "Beta");
  {
    auto s = newSession();
    addClause(*s, 10, 1);
  }
  WindowId browse = startBrowse();
  ASSERT_EQ(column(browse, 1), (std::vector<std::string>{"Alpha", "Beta"}));

  screen_.answerNext("Confirm Delete", Answer::Yes);
  pressAndSettle(browse, "?Delete:2");
  EXPECT_EQ(screen_.find("UpdateSQLParts"), 0);  // the form is never shown for a delete
  auto shown = screen_.messages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].title, "Confirm Delete");
  EXPECT_EQ(shown[1].title, "Referential Integrity Delete Error");
  EXPECT_NE(shown[1].text.find("the file Clause"), std::string::npos) << shown[1].text;
  EXPECT_EQ(parts().size(), 2u);

  ASSERT_TRUE(screen_.selectRow(browse, kList, 1));
  ASSERT_TRUE(screen_.waitIdle());
  pressAndSettle(browse, "?Delete:2");  // "Confirm Delete" answered No by default
  EXPECT_EQ(parts().size(), 2u);
  screen_.answerNext("Confirm Delete", Answer::Yes);
  ASSERT_TRUE(screen_.selectRow(browse, kList, 1));
  pressAndSettle(browse, "?Delete:2");
  EXPECT_EQ(parts(), (std::vector<std::pair<int, std::string>>{{1, "Alpha"}}));
  EXPECT_EQ(column(browse, 1), std::vector<std::string>{"Alpha"});
}

TEST_F(SqlPartsTest, ChangeCarriesANewIdToTheClauses) {
  seedPart(1, "Alpha");
  {
    auto s = newSession();
    addClause(*s, 10, 1);
  }
  WindowId browse = startBrowse();
  ASSERT_TRUE(screen_.doubleClick(browse, kList, 0));  // double-click changes
  WindowId form = screen_.waitWindow("UpdateSQLParts");
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(screen_.caption(form), "Changing a SQLParts Record");
  typeIn(form, "?STD:SQLPartId", "5");
  typeIn(form, "?STD:PartName", "Alpha two");
  pressAndSettle(form, "?OK");
  EXPECT_EQ(parts(), (std::vector<std::pair<int, std::string>>{{5, "Alpha two"}}));
  auto s = newSession();
  auto& clause = (*s)[Handle::Clause];
  clause.setLong(data::fld::Clause::ClauseId, 10);
  ASSERT_EQ(clause.get(data::key::Clause::ClausePkey), store::ErrorCode::None);
  EXPECT_EQ(clause.getLong(data::fld::Clause::SQLPartId), 5);
  EXPECT_EQ(column(browse, 0), std::vector<std::string>{"5"});
}

TEST_F(SqlPartsTest, LocatorMovesToTheFirstNameStartingWithTheCharacterInEitherCase) {
  const char* names[] = {"alpha",     "Beta", "gamma", "Omega",   "sigma",
                         "Structure", "tau",  "Zeta",  "zeta two"};
  int id = 1;
  for (const char* n : names) seedPart(id++, n);
  WindowId browse = startBrowse();
  struct Case {
    const char* typed;
    const char* highlighted;
  } cases[] = {{"s", "sigma"}, {"S", "sigma"}, {"z", "Zeta"},    {"b", "Beta"},
               {"A", "alpha"}, {"r", "sigma"}, {"~", "zeta two"}};
  for (const Case& c : cases) {
    ASSERT_TRUE(screen_.locate(browse, kList, c.typed));
    ASSERT_TRUE(screen_.waitIdle());
    EXPECT_EQ(screen_.selectedCell(browse, kList, 1), c.highlighted) << c.typed;
  }
}

TEST_F(SqlPartsTest, SortTabsOfSelectSQLPartsRereadTheList) {
  seedPart(1, "Zeta");
  seedPart(2, "Alpha");
  seedPart(3, "Middle");
  startSelect(windows::SelectSQLParts, true);
  WindowId w = screen_.waitWindow("SelectSQLParts");
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(screen_.caption(w), "Select a SQLParts Record");
  EXPECT_EQ(column(w, 1), (std::vector<std::string>{"Zeta", "Alpha", "Middle"}));
  ASSERT_TRUE(screen_.selectRow(w, kList, 2));
  ASSERT_TRUE(screen_.changeTab(w, "?CurrentTab", 1));
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(column(w, 1), (std::vector<std::string>{"Alpha", "Middle", "Zeta"}));
  EXPECT_EQ(screen_.selectedCell(w, kList, 1), "Middle");  // still on the same part
  ASSERT_TRUE(screen_.locate(w, kList, "z"));
  ASSERT_TRUE(screen_.changeTab(w, "?CurrentTab", 0));
  ASSERT_TRUE(screen_.locate(w, kList, "2"));  // the id order locates by number
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(screen_.selectedCell(w, kList, 1), "Alpha");
}

TEST_F(SqlPartsTest, SelectModeReturnsTheHighlightedPart) {
  seedPart(4, "Alpha");
  seedPart(7, "Beta");
  struct Case {
    bool selectRequest;
    const char* how;  // "select", "double", "close"
    Response response;
    int32_t id;
  } cases[] = {
      {true, "select", Response::Completed, 7},
      {true, "double", Response::Completed, 7},
      {true, "close", Response::Cancelled, 0},
      {false, "close", Response::Completed, 0},
  };
  for (const Case& c : cases) {
    response_ = -1;
    startSelect(windows::SelectSQLPart, c.selectRequest);
    WindowId w = screen_.waitWindow("SelectSQLPart");
    ASSERT_TRUE(screen_.waitIdle());
    EXPECT_EQ(screen_.caption(w), "Browse SQL Parts");
    EXPECT_EQ(screen_.visible(w, "?Select:2"), c.selectRequest);
    ASSERT_TRUE(screen_.selectRow(w, kList, 1));
    ASSERT_TRUE(screen_.waitIdle());
    std::string how = c.how;
    bool posted = how == "select"   ? screen_.press(w, "?Select:2")
                  : how == "double" ? screen_.doubleClick(w, kList, 1)
                                    : screen_.press(w, "?Close");
    ASSERT_TRUE(posted);
    ASSERT_TRUE(screen_.waitFor([&] { return response_ != -1; }));
    EXPECT_EQ(response_, int(c.response)) << c.how;
    if (c.response == Response::Completed && c.selectRequest) {
      EXPECT_EQ(selectedId_, c.id);
    }
    closeAll();
  }
}

TEST_F(SqlPartsTest, SelectIsOffWhileTheListIsEmpty) {
  startSelect(windows::SelectSQLPart, true);
  WindowId w = screen_.waitWindow("SelectSQLPart");
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_TRUE(screen_.visible(w, "?Select:2"));
  EXPECT_FALSE(screen_.enabled(w, "?Select:2"));
  EXPECT_FALSE(screen_.press(w, "?Select:2"));
}

TEST_F(SqlPartsTest, HistoryRestoresTheFieldFromTheLastSavedPart) {
  WindowId browse = startBrowse();
  WindowId form = insertForm(browse);
  typeIn(form, "?STD:PartName", "Foundation");
  typeIn(form, "?STD:ANSINumber", "X3.135-1999");
  pressAndSettle(form, "?OK");

  form = insertForm(browse);
  EXPECT_TRUE(screen_.toolEnabled(form, 3012));
  ASSERT_TRUE(screen_.key(form, "?STD:ANSINumber", 0x2DE));
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(screen_.text(form, "?STD:ANSINumber"), "X3.135-1999");
  EXPECT_EQ(screen_.text(form, "?STD:PartName"), "");
  // The tool bar's history button, forwarded by the frame, acts on the focused entry.
  ASSERT_TRUE(screen_.focus(form, "?STD:PartName"));
  platform::Event history;
  history.control = 3012;
  ASSERT_TRUE(screen_.post(form, history));
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(screen_.text(form, "?STD:PartName"), "Foundation");
  pressAndSettle(form, "?OK");
  EXPECT_EQ(parts(),
            (std::vector<std::pair<int, std::string>>{{1, "Foundation"}, {2, "Foundation"}}));
}

TEST_F(SqlPartsTest, ToolBarInsertActsOnTheActiveBrowse) {
  seedPart(1, "Alpha");
  // The frame's side, as the frame procedure does it: a press arrives on the frame's queue
  // and is passed on to the active child's thread; with only the frame active it goes nowhere.
  platform::EventQueue frameQueue;
  platform::FrameDef frame;
  frame.toolbar.push_back({3001, "INSERT", "Insert a New Record", false, true, 0});
  screen_.openFrame(frame, frameQueue);
  auto forward = [&] {
    auto e = frameQueue.take(std::chrono::milliseconds(5000));
    return e && screen_.postToActiveChild(*e);
  };
  EXPECT_FALSE(screen_.pressTool(3001));  // disabled while the frame itself is active
  screen_.setToolEnabled(0, 3001, true);
  ASSERT_TRUE(screen_.pressTool(3001));
  EXPECT_FALSE(forward());

  WindowId browse = startBrowse();
  EXPECT_TRUE(screen_.toolEnabled(browse, 3001));
  EXPECT_TRUE(screen_.toolEnabled(browse, 3002));
  ASSERT_TRUE(screen_.pressTool(3001));
  ASSERT_TRUE(forward());
  WindowId form = screen_.waitWindow("UpdateSQLParts");
  ASSERT_NE(form, 0);
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(screen_.caption(form), "Adding a SQLParts Record");
  EXPECT_EQ(screen_.text(form, "?STD:SQLPartId"), "2");
  pressAndSettle(form, "?Cancel");
  EXPECT_EQ(parts().size(), 1u);
}

TEST_F(SqlPartsTest, PlacementIsKeptUnderTheProcedureName) {
  WindowId browse = startBrowse();
  platform::Event moved;
  moved.kind = platform::EventKind::Placement;
  moved.placement = {20, 30, 500, 170, false, false};
  ASSERT_TRUE(screen_.post(browse, moved));
  ASSERT_TRUE(screen_.press(browse, "?Close"));
  closeAll();
  platform::Settings reread(dir_ / platform::Settings::kFileName);
  EXPECT_EQ(reread.file().get("BrowseSQLParts", "XPos"), "20");
  EXPECT_EQ(reread.file().get("BrowseSQLParts", "Width"), "500");
  browse = startBrowse();
  EXPECT_EQ(screen_.placement(browse).x, 20);
  EXPECT_EQ(screen_.placement(browse).height, 170);
}

}  // namespace
}  // namespace ormile::test
