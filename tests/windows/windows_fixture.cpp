#include "tests/windows/windows_fixture.h"

namespace ormile::test {

using data::Handle;
namespace fs = data::fld::SQLParts;

WindowsTest::WindowsTest() {
  screenMessages_.setProgramEnd([this](int) { ++programEnds_; });
  screenMessages_.setProcedureNameSource([] {
    windows::Session* s = windows::Session::current();
    return s ? s->procedure() : std::string();
  });
}

WindowsTest::~WindowsTest() {
  closeAll();
}

void WindowsTest::start(std::function<void(windows::Session&)> procedure) {
  windows::Services sv = services();
  ++running_;
  threads_.emplace_back([this, sv, procedure] {
    {
      windows::Session session(sv);
      procedure(session);
    }
    --running_;
  });
}

platform::WindowId WindowsTest::startBrowse(int count) {
  start([](windows::Session& s) { windows::BrowseSQLParts(s); });
  platform::WindowId w = screen_.waitWindow("BrowseSQLParts", count);
  EXPECT_NE(w, 0);
  EXPECT_TRUE(screen_.waitIdle());
  return w;
}

void WindowsTest::startSelect(windows::Response (*procedure)(windows::Session&),
                              bool selectRequest) {
  start([this, procedure, selectRequest](windows::Session& s) {
    if (selectRequest) s.request = windows::Request::Select;
    windows::Response r = procedure(s);
    selectedId_ = s[Handle::SQLParts].getLong(fs::SQLPartId);
    response_ = int(r);
  });
}

void WindowsTest::closeAll() {
  screen_.holdAsks(false);
  for (int i = 0; i < 1000 && running_ > 0; ++i) {
    while (screen_.answer(base::Answer::No, {}, std::chrono::milliseconds(0))) {
    }
    screen_.answerNext("Save Record", base::Answer::No);
    screen_.closeChildren();
    screen_.waitFor([&] { return running_ == 0; }, std::chrono::milliseconds(20));
  }
  screen_.clearAnswers();
  ASSERT_EQ(running_, 0);
  for (std::thread& t : threads_) t.join();
  threads_.clear();
}

void WindowsTest::seedPart(int id, const std::string& name, const std::string& ansi, int32_t date) {
  auto s = newSession();
  auto& h = (*s)[Handle::SQLParts];
  h.clear();
  h.setLong(fs::SQLPartId, id);
  h.setString(fs::PartName, name);
  h.setString(fs::ANSINumber, ansi);
  h.setLong(fs::RatificationDate, date);
  ASSERT_EQ(h.add(), store::ErrorCode::None) << h.errorText();
}

std::vector<std::pair<int, std::string>> WindowsTest::parts() {
  auto s = newSession();
  auto& h = (*s)[Handle::SQLParts];
  std::vector<std::pair<int, std::string>> out;
  h.set(data::key::SQLParts::SQLPartPkey);
  while (store::ok(h.next()))
    out.emplace_back(h.getLong(fs::SQLPartId), std::string(h.getString(fs::PartName)));
  return out;
}

std::vector<std::string> WindowsTest::column(platform::WindowId w, int c) {
  std::vector<std::string> out;
  for (const auto& row : screen_.rows(w, "?Browse:1"))
    out.push_back(c < int(row.size()) ? row[size_t(c)] : std::string());
  return out;
}

}  // namespace ormile::test
