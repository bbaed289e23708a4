// Tree benchmark on the real SQL-99 grammar: opening the tree window's two trees, Explode All
// of each, and the listing after Explode All, each timed with the peak memory of its process,
// beside a baseline measured in the same run that reads (or writes) the same rows straight
// from SQLite. Each case runs in a child process of its own so that its peak memory is its
// own. The data (import, elements, structure rows) is made once in a temporary directory.
//
//   tree_bench [path/to/sql-99.bnf]
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "base/messages.h"
#include "bnf/element_extraction.h"
#include "bnf/structure_rows.h"
#include "data/relations/session.h"
#include "tools/grammar_import.h"
#include "tree/bom_levels.h"
#include "tree/print_tree.h"
#include "tree/tree_list.h"

namespace {

using namespace ormile;
namespace fs = std::filesystem;

class Quiet : public base::Answerer {
 public:
  base::Answer ask(const base::ShownMessage& m) override {
    std::fprintf(stderr, "message: %s: %s\n", m.title.c_str(), m.text.c_str());
    return m.defaultAnswer;
  }
};

struct Result {
  double seconds = 0;
  long peakKiB = 0;
  long count = 0;
};

// Runs `work` in a child process; returns its time, its peak memory and the count it gives.
Result inChild(const std::function<long()>& work) {
  int fds[2];
  if (::pipe(fds) != 0) std::abort();
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    auto start = std::chrono::steady_clock::now();
    long count = work();
    Result r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    r.peakKiB = usage.ru_maxrss;
    r.count = count;
    if (::write(fds[1], &r, sizeof r) != sizeof r) ::_exit(2);
    ::_exit(0);
  }
  ::close(fds[1]);
  Result r;
  if (::read(fds[0], &r, sizeof r) != sizeof r) std::fprintf(stderr, "child failed\n");
  ::close(fds[0]);
  ::waitpid(pid, nullptr, 0);
  return r;
}

// The baseline: every structure row joined to its production, read once straight from
// SQLite into memory, as a tree that read each row only once would at least have to.
long rawReadStructure(const fs::path& dir, bool whereUsed) {
  sqlite3* db = nullptr;
  sqlite3_open_v2((dir / "XS.tps").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  std::string attach = "ATTACH '" + (dir / "X.tps").string() + "' AS x";
  sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr);
  std::string sql = std::string("SELECT XS.*, X.XId, X.ClauseId, X.XName, X.BNF_Header, X.BNF_Text, "
                                "X.XText FROM XS LEFT JOIN x.X ON X.XId = XS.") +
                    (whereUsed ? "ActiveId" : "PassiveId");
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  std::vector<std::string> keep;
  long n = 0;
  while (sqlite3_step(st) == SQLITE_ROW) {
    for (int c = 0; c < sqlite3_column_count(st); ++c) {
      const unsigned char* t = sqlite3_column_text(st, c);
      keep.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
    }
    ++n;
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return n;
}

// The listing's baseline: the same number of rows inserted straight into a TreeOut-shaped
// table in one transaction.
long rawWriteListing(const fs::path& dir, long rows) {
  sqlite3* db = nullptr;
  fs::path file = dir / "raw-listing.db";
  fs::remove(file);
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db,
               "CREATE TABLE T(ItemOutId, XId, Level, PartNumber, PartName, ClauseNumber, "
               "ClauseName, BNF_Header, BNF_Body, XText); CREATE INDEX k ON T(ItemOutId); BEGIN",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO T VALUES(?,?,?,?,?,?,?,?,?,?)", -1, &st, nullptr);
  std::string body(200, 'b');
  for (long i = 0; i < rows; ++i) {
    sqlite3_bind_int64(st, 1, i + 1);
    sqlite3_bind_int64(st, 2, i % 1000);
    sqlite3_bind_int64(st, 3, 3);
    for (int c = 4; c <= 8; ++c) sqlite3_bind_text(st, c, "text of a field", -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 9, body.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 10, "", -1, SQLITE_STATIC);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return rows;
}

void line(const char* what, const Result& ours, const Result& raw, double goalSeconds) {
  std::printf("%-34s %9.3f s %8.1f MiB %9ld   %9.3f s %8.1f MiB   %6.1fx   %s\n", what,
              ours.seconds, ours.peakKiB / 1024.0, ours.count, raw.seconds, raw.peakKiB / 1024.0,
              raw.seconds > 0 ? ours.seconds / raw.seconds : 0.0,
              ours.seconds < goalSeconds && ours.peakKiB < 500 * 1024 ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  std::string grammarPath = argc > 1 ? argv[1] : ORMILE_SQL99_BNF;
  std::ifstream in(grammarPath);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", grammarPath.c_str());
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::string tmpl = (fs::temp_directory_path() / "ormile-tree-bench-XXXXXX").string();
  fs::path dir = ::mkdtemp(tmpl.data());
  Quiet quiet;
  base::MessageService messages(quiet);
  {
    data::Session s(dir, messages);
    auto report = tool::importGrammar(s, messages, tool::parseGrammar(text.str()), {});
    if (!report.ok) {
      std::fprintf(stderr, "import failed: %s\n", report.error.c_str());
      return 1;
    }
    bnf::MakeBNFElementsForPart(s, messages, report.partId);
    bnf::MakeStructureRows(s, messages, report.partId);
  }
  auto withTrees = [&](const std::function<long(data::Session&, tree::TreeList&, tree::TreeList&)>& f) {
    return [&, f] {
      data::Session s(dir, messages);
      int32_t type = tree::containsType(s);
      tree::TreeList explosion(s, tree::explosionLevels([&] { return type; }));
      tree::TreeList whereUsed(s, tree::whereUsedLevels([&] { return type; }));
      return f(s, explosion, whereUsed);
    };
  };
  Result open = inChild(withTrees([](data::Session&, tree::TreeList& e, tree::TreeList& w) {
    e.loadRoots();
    w.loadRoots();
    return long(e.entries().size() + w.entries().size());
  }));
  Result openRaw = inChild([&] { return rawReadStructure(dir, false); });
  Result explode = inChild(withTrees([](data::Session&, tree::TreeList& e, tree::TreeList&) {
    e.explodeAll();
    return long(e.entries().size());
  }));
  Result explodeRaw = inChild([&] { return rawReadStructure(dir, false); });
  Result whereUsed = inChild(withTrees([](data::Session&, tree::TreeList&, tree::TreeList& w) {
    w.explodeAll();
    return long(w.entries().size());
  }));
  Result whereUsedRaw = inChild([&] { return rawReadStructure(dir, true); });
  // The listing alone is timed: Explode All runs before the clock starts.
  Result listing;
  {
    int fds[2];
    if (::pipe(fds) != 0) return 1;
    pid_t pid = ::fork();
    if (pid == 0) {
      data::Session s(dir, messages);
      int32_t type = tree::containsType(s);
      tree::TreeList e(s, tree::explosionLevels([&] { return type; }));
      e.explodeAll();
      auto start = std::chrono::steady_clock::now();
      auto outcome = tree::CreatePrintTree(s, messages, e);
      Result r;
      r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      struct rusage usage {};
      ::getrusage(RUSAGE_SELF, &usage);
      r.peakKiB = usage.ru_maxrss;
      r.count = outcome.rows;
      if (::write(fds[1], &r, sizeof r) != sizeof r) ::_exit(2);
      ::_exit(0);
    }
    ::close(fds[1]);
    if (::read(fds[0], &listing, sizeof listing) != sizeof listing) return 1;
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
  }
  Result listingRaw = inChild([&] { return rawWriteListing(dir, listing.count); });

  std::printf("\n%-34s %11s %12s %9s   %11s %12s   %7s   %s\n", "case (sql-99.bnf)", "ours",
              "peak", "nodes", "raw SQLite", "peak", "ratio", "goal");
  line("open (roots of both trees)", open, openRaw, 0.1);
  line("Explode All, explosion", explode, explodeRaw, 1.0);
  line("Explode All, where-used", whereUsed, whereUsedRaw, 3.0);
  line("Create PrintTree after Explode All", listing, listingRaw, 1.0);
  std::printf("goals: open < 0.1 s, explosion and listing < 1 s, where-used < 3 s, peak < 500 MiB\n");
  fs::remove_all(dir);
  return 0;
}
