#include "tests/support/test_support.h"

#include <cstdlib>

namespace ormile::test {

using data::Handle;

base::Answer RecordingAnswerer::ask(const base::ShownMessage& m) {
  std::lock_guard lock(mutex_);
  shown_.push_back(m);
  auto it = script_.find(m.title);
  if (it != script_.end() && !it->second.empty()) {
    base::Answer a = it->second.front();
    it->second.pop_front();
    return a;
  }
  return m.defaultAnswer;
}

void RecordingAnswerer::answerNext(const std::string& title, base::Answer answer) {
  std::lock_guard lock(mutex_);
  script_[title].push_back(answer);
}

std::vector<base::ShownMessage> RecordingAnswerer::shown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

std::vector<std::string> RecordingAnswerer::titles() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> t;
  for (const auto& m : shown_) t.push_back(m.title);
  return t;
}

bool RecordingAnswerer::sawTitle(const std::string& title) const {
  for (const auto& t : titles())
    if (t == title) return true;
  return false;
}

void RecordingAnswerer::clear() {
  std::lock_guard lock(mutex_);
  shown_.clear();
  script_.clear();
}

DataTest::DataTest() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "ormile-test-XXXXXX").string();
  dir_ = ::mkdtemp(tmpl.data());
  messages_.setProgramEnd([this](int) { ++programEnds_; });
}

DataTest::~DataTest() {
  std::error_code ec;
  std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(dir_, ec);
}

std::unique_ptr<data::Session> DataTest::newSession() {
  return std::make_unique<data::Session>(dir_, messages_);
}

void addPart(data::Session& s, int id, const std::string& name) {
  auto& h = s[Handle::SQLParts];
  h.clear();
  h.setLong(data::fld::SQLParts::SQLPartId, id);
  h.setString(data::fld::SQLParts::PartName, name);
  ASSERT_EQ(h.add(), store::ErrorCode::None) << h.errorText();
}

void addClause(data::Session& s, int id, int part, const std::string& number) {
  auto& h = s[Handle::Clause];
  h.clear();
  h.setLong(data::fld::Clause::ClauseId, id);
  h.setLong(data::fld::Clause::SQLPartId, part);
  h.setString(data::fld::Clause::ClauseNumber, number);
  ASSERT_EQ(h.add(), store::ErrorCode::None) << h.errorText();
}

void addX(data::Session& s, int id, int clause, const std::string& header) {
  auto& h = s[Handle::X];
  h.clear();
  h.setLong(data::fld::X::XId, id);
  h.setLong(data::fld::X::ClauseId, clause);
  h.setString(data::fld::X::BNF_Header, header);
  ASSERT_EQ(h.add(), store::ErrorCode::None) << h.errorText();
}

void addXS(data::Session& s, int active, int passive, int seq, int tree, int type,
           int recurPassive) {
  auto& h = s[Handle::XS];
  h.clear();
  h.setLong(data::fld::XS::XSTId, type);
  h.setLong(data::fld::XS::ActiveId, active);
  h.setLong(data::fld::XS::PassiveId, passive);
  h.setLong(data::fld::XS::RecurPassiveId, recurPassive);
  h.setLong(data::fld::XS::Seq, seq);
  h.setLong(data::fld::XS::TreeId, tree);
  ASSERT_EQ(h.add(), store::ErrorCode::None) << h.errorText();
}

void addElement(data::Session& s, int id, int x, const std::string& text, int seq) {
  auto& h = s[Handle::BNFElement];
  h.clear();
  h.setLong(data::fld::BNFElement::BNFElementId, id);
  h.setLong(data::fld::BNFElement::XId, x);
  h.setString(data::fld::BNFElement::BNFElement, text);
  h.setLong(data::fld::BNFElement::BNFElementSequence, seq);
  ASSERT_EQ(h.add(), store::ErrorCode::None) << h.errorText();
}

int64_t countRows(data::Session& s, Handle h) {
  return s[h].records();
}

int shell(const std::string& command) {
  int rc = std::system(command.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

}  // namespace ormile::test
