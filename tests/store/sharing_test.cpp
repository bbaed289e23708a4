// Several threads and several programs on the same files: auto-numbering without clashes,
// and a cascade killed in the middle of its transaction.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <set>
#include <thread>

#include "tests/support/test_support.h"

namespace ormile::test {
namespace {

using data::Handle;
using store::ErrorCode;
namespace fX = data::fld::X;

class Sharing : public DataTest {
 protected:
  // The X identifiers in the file, checking that each header is there once.
  std::vector<int> ids() {
    auto s = newSession();
    auto& x = (*s)[Handle::X];
    std::vector<int> out;
    std::set<std::string> headers;
    x.set(data::key::X::XIdPkey);
    while (ok(x.next())) {
      out.push_back(x.getLong(fX::XId));
      EXPECT_TRUE(headers.insert(std::string(x.getString(fX::BNF_Header))).second);
    }
    return out;
  }
  static std::vector<int> oneTo(int n) {
    std::vector<int> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[size_t(i)] = i + 1;
    return v;
  }
  pid_t spawn(const std::vector<std::string>& args, int* stdoutFd = nullptr) {
    int fds[2] = {-1, -1};
    if (stdoutFd) {
      EXPECT_EQ(::pipe(fds), 0);
    }
    pid_t pid = ::fork();
    if (pid == 0) {
      if (stdoutFd) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
      }
      std::vector<char*> argv;
      std::string prog = ORMILE_SHARE_WRITER;
      argv.push_back(prog.data());
      std::vector<std::string> copy = args;
      for (auto& a : copy) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(prog.c_str(), argv.data());
      ::_exit(127);
    }
    if (stdoutFd) {
      ::close(fds[1]);
      *stdoutFd = fds[0];
    }
    return pid;
  }
  static int exitStatus(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Reads the child's output up to and including `word`.
  static bool waitFor(int fd, const std::string& word) {
    std::string seen;
    char c;
    while (::read(fd, &c, 1) == 1) {
      seen += c;
      if (seen.find(word) != std::string::npos) return true;
    }
    return false;
  }
};

TEST_F(Sharing, TwoThreadsNumberTheSameKeyWithoutClashes) {
  auto work = [this](int thread) {
    auto s = newSession();  // each thread has its own handles
    auto& x = (*s)[Handle::X];
    for (int i = 0; i < 500; ++i) {
      x.clear();
      x.setString(fX::BNF_Header, "<t" + std::to_string(thread) + "-" + std::to_string(i) + ">");
      ASSERT_EQ(x.primeAutoNumber(), base::Level::Benign);
    }
  };
  std::thread a(work, 1), b(work, 2);
  a.join();
  b.join();
  EXPECT_EQ(ids(), oneTo(1000));
  EXPECT_TRUE(answers_.shown().empty());
}

TEST_F(Sharing, TwoProgramsNumberTheSameKeyWithoutClashes) {
  { newSession()->operator[](Handle::X).open(); }  // the file exists before both start
  pid_t a = spawn({dir_.string(), "number", "500"});
  pid_t b = spawn({dir_.string(), "number", "500"});
  EXPECT_EQ(exitStatus(a), 0) << "messages shown by the first program";
  EXPECT_EQ(exitStatus(b), 0) << "messages shown by the second program";
  EXPECT_EQ(ids(), oneTo(1000));
}

class Atomicity : public Sharing {
 protected:
  static constexpr int kRows = 400;
  void SetUp() override {
    auto s = newSession();
    addPart(*s, 1);
    addClause(*s, 1, 1);
    addX(*s, 5, 1, "<five>");
    auto& xs = (*s)[Handle::XS];
    ASSERT_EQ(s->tables().logout(2, {&xs}), ErrorCode::None);
    for (int active = 100; active < 100 + kRows; ++active) addXS(*s, active, 5, 1);
    ASSERT_EQ(s->tables().commit(), ErrorCode::None);
  }
  void restore() {
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
      std::filesystem::remove(entry.path());
    SetUp();
  }
  // Whether X 5 is there, and how many structure rows contain it.
  std::pair<bool, int64_t> state() {
    auto s = newSession();
    auto& x = (*s)[Handle::X];
    x.clear();
    x.setLong(fX::XId, 5);
    bool present = ok(x.get(data::key::X::XIdPkey));
    auto& xs = (*s)[Handle::XS];
    int64_t n = 0;
    xs.clear();
    xs.setLong(data::fld::XS::PassiveId, 5);
    xs.setFrom(data::key::XS::PassiveIdFkey);
    while (ok(xs.next()) && xs.getLong(data::fld::XS::PassiveId) == 5) ++n;
    return {present, n};
  }
};

TEST_F(Atomicity, CascadeKilledBeforeItsCommitLeavesNothingDone) {
  int out = -1;
  pid_t pid = spawn({dir_.string(), "hold", "5"}, &out);
  ASSERT_TRUE(waitFor(out, "deleted"));
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  ::close(out);
  EXPECT_EQ(state(), std::make_pair(true, int64_t(kRows)));
}

TEST_F(Atomicity, CascadeKilledAtAnyMomentLeavesAllOrNothing) {
  std::mt19937 random(12345);
  bool sawDone = false, sawUndone = false;
  for (int round = 0; round < 12 && !(sawDone && sawUndone && round >= 6); ++round) {
    int out = -1;
    pid_t pid = spawn({dir_.string(), "cascade", "5"}, &out);
    ASSERT_TRUE(waitFor(out, "started"));
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 60000));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ::close(out);
    auto [present, rows] = state();
    if (present) {
      EXPECT_EQ(rows, kRows) << "round " << round;
      sawUndone = true;
    } else {
      EXPECT_EQ(rows, 0) << "round " << round;
      sawDone = true;
      restore();
    }
  }
  EXPECT_TRUE(sawUndone);
}

}  // namespace
}  // namespace ormile::test
