// Shared test fixtures: a temporary working directory per test, a message answerer that
// records every message and answers as told, and small helpers that fill the tables.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/messages.h"
#include "data/relations/session.h"

namespace ormile::test {

// Thread-safe: the sharing tests ask from several threads.
class RecordingAnswerer : public base::Answerer {
 public:
  base::Answer ask(const base::ShownMessage& m) override;
  // The next message with this title gets this answer (else its default answer).
  void answerNext(const std::string& title, base::Answer answer);
  std::vector<base::ShownMessage> shown() const;
  std::vector<std::string> titles() const;
  bool sawTitle(const std::string& title) const;
  void clear();

 private:
  mutable std::mutex mutex_;
  std::vector<base::ShownMessage> shown_;                   // guarded by mutex_
  std::map<std::string, std::deque<base::Answer>> script_;  // guarded by mutex_
};

class DataTest : public ::testing::Test {
 protected:
  DataTest();
  ~DataTest() override;

  // A new session (as a new thread would have) on the test's directory.
  std::unique_ptr<data::Session> newSession();
  std::filesystem::path file(const std::string& name) const { return dir_ / name; }

  std::filesystem::path dir_;
  RecordingAnswerer answers_;
  base::MessageService messages_{answers_};
  int programEnds_ = 0;  // fatal messages and aborts that would have ended the program
};

// Row helpers: each adds one row through the table handle's add (no numbering, no checks)
// and fails the test when the add fails.
void addPart(data::Session& s, int id, const std::string& name = "Part");
void addClause(data::Session& s, int id, int part, const std::string& number = "1");
void addX(data::Session& s, int id, int clause, const std::string& header);
void addXS(data::Session& s, int active, int passive, int seq, int tree = 0, int type = 1,
           int recurPassive = 0);
void addElement(data::Session& s, int id, int x, const std::string& text, int seq);
int64_t countRows(data::Session& s, data::Handle h);
// Runs a shell command; returns its exit status.
int shell(const std::string& command);

}  // namespace ormile::test
