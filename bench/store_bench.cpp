// Store benchmark: how much the keyed record store costs over the SQLite statements it maps
// to. Four record operations are timed, each beside a raw baseline measured in the same run on
// a plain SQLite file with the very same CREATE TABLE/INDEX statements the store writes:
//   Add         TableHandle::add inside one store transaction   vs  prepared INSERT in one BEGIN
//   Next        set(BNFHeaderKey) then next() over 10 000 rows   vs  the store's own keyset-seek
//                                                                    statements, and vs stepping
//                                                                    one ORDER BY cursor
//   Get         get(XIdPkey) for random ids                      vs  SELECT ... WHERE XId = ?
//   AutoNumber  primeAutoNumber, committed each time              vs  BEGIN; SELECT max(XId);
//                                                                    INSERT; COMMIT
// Two further lines explain the figures: Next inside one store transaction (one read lock
// for the whole walk, as a stepped cursor has), and Get against the raw equality together
// with the key's leaving-out condition, the only form that lets SQLite use a partial index.
// Every file lives in a temporary directory made at start and removed at the end. After the
// benchmarks a table gives store and raw ns/op and their ratio against the goal of 3x.
//
// The raw side includes sqlite3.h itself: the baseline must be SQLite with nothing of ours
// between, which is exactly what the store's own wrapper cannot be.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>  // mkdtemp

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/messages.h"
#include "data/relations/session.h"

namespace {

namespace fs = std::filesystem;
using ormile::base::Answer;
using ormile::base::Level;
using ormile::base::ShownMessage;
using ormile::data::ErrorCode;
using ormile::data::Session;
using ormile::data::Table;
using ormile::data::TableHandle;
namespace fld = ormile::data::fld;
namespace key = ormile::data::key;

constexpr int kReadRows = 10000;  // rows of the Next and Get benchmarks
constexpr int kAddRows = 20000;   // rows of one Add run; fixed so both sides build equal tables

fs::path gRoot;  // the run's temporary directory
int gDirs = 0;

fs::path freshDir(const std::string& what) {
  fs::path d = gRoot / (what + "-" + std::to_string(++gDirs));
  fs::create_directory(d);
  return d;
}

[[noreturn]] void die(const std::string& why) {
  std::fprintf(stderr, "store_bench: %s\n", why.c_str());
  if (!gRoot.empty()) fs::remove_all(gRoot);
  std::exit(1);
}

// No message is expected from the store here; one means the figures measure a failure path.
class NoMessages : public ormile::base::Answerer {
 public:
  Answer ask(const ShownMessage& m) override { die("unexpected message: " + m.text); }
};

NoMessages gAnswerer;
ormile::base::MessageService gMessages(gAnswerer);

// ---- the rows -------------------------------------------------------------------------------

struct Row {
  int32_t id = 0;
  int32_t clauseId = 0;
  std::string name, header, text, note;
};

// Row `n` of a table. The key texts follow a scrambled order, so that index inserts land all
// over the index as real data does instead of always at its end; mixed case makes the key
// collation do its work.
void makeRow(int32_t n, Row& r) {
  uint32_t s = uint32_t(n) * 2654435761u;  // odd multiplier: a bijection, so texts stay unique
  char buf[64];
  r.id = n;
  r.clauseId = 1 + n % 50;
  std::snprintf(buf, sizeof buf, "Element %08x", s);
  r.name = buf;
  std::snprintf(buf, sizeof buf, "<Query Term %08x>", s);
  r.header = buf;
  r.text = r.header + " ::= <left paren> <column name list> <right paren> | <derived column>";
  r.note = "Syntax rule " + std::to_string(n % 17);
}

void fill(TableHandle& x, const Row& r, bool withId) {
  if (withId) x.setLong(fld::X::XId, r.id);
  x.setLong(fld::X::ClauseId, r.clauseId);
  x.setString(fld::X::XName, r.name);
  x.setString(fld::X::BNF_Header, r.header);
  x.setMemo(fld::X::BNF_Text, r.text);
  x.setMemo(fld::X::XText, r.note);
}

// ---- the store side -------------------------------------------------------------------------

struct Store {
  explicit Store(const fs::path& dir) : session(dir, gMessages), x(session[Table::X]) {
    if (!x.ensureOpen()) die("cannot open X");
  }
  Session session;
  TableHandle& x;
};

void addStoreRows(Store& s, int count) {
  if (s.session.tables().logout(5, {&s.x}) != ErrorCode::None) die("store logout failed");
  Row r;
  for (int n = 1; n <= count; ++n) {
    makeRow(n, r);
    fill(s.x, r, true);
    if (s.x.add() != ErrorCode::None) die("store add failed: " + s.x.errorText());
  }
  if (s.session.tables().commit() != ErrorCode::None) die("store commit failed");
}

// ---- the raw side ---------------------------------------------------------------------------

// The schema exactly as the store writes it into X.tps.
constexpr const char* kSchema =
    "CREATE TABLE \"X\"(\"_RecordId\" INTEGER PRIMARY KEY, \"_Version\" INTEGER NOT NULL "
    "DEFAULT 0, \"XId\" INTEGER NOT NULL DEFAULT 0, \"ClauseId\" INTEGER NOT NULL DEFAULT 0, "
    "\"XName\" TEXT NOT NULL DEFAULT '' COLLATE ORMILE_KEY, \"BNF_Header\" TEXT NOT NULL "
    "DEFAULT '' COLLATE ORMILE_KEY, \"BNF_Text\" TEXT NOT NULL DEFAULT '', \"XText\" TEXT NOT "
    "NULL DEFAULT '');"
    "CREATE UNIQUE INDEX \"XIdPkey\" ON \"X\"(\"XId\") WHERE (\"XId\" <> 0);"
    "CREATE INDEX \"ClauseFkey\" ON \"X\"(\"ClauseId\") WHERE (\"ClauseId\" <> 0);"
    "CREATE UNIQUE INDEX \"BNFHeaderKey\" ON \"X\"(\"BNF_Header\") WHERE (\"BNF_Header\" <> '');"
    "CREATE UNIQUE INDEX \"XNameKey\" ON \"X\"(\"XName\") WHERE (\"XName\" <> '');";

constexpr const char* kColumns =
    "\"_RecordId\", \"_Version\", \"XId\", \"ClauseId\", \"XName\", \"BNF_Header\", "
    "\"BNF_Text\", \"XText\"";

// The baseline's key collation: plain ASCII case folding. The rows hold no trailing blanks and
// no letters beyond ASCII, so it orders them as the store's collation does, at the least cost.
int simpleKeyCompare(void*, int n1, const void* p1, int n2, const void* p2) {
  auto a = static_cast<const unsigned char*>(p1);
  auto b = static_cast<const unsigned char*>(p2);
  int n = n1 < n2 ? n1 : n2;
  for (int i = 0; i < n; ++i) {
    int x = a[i] >= 'a' && a[i] <= 'z' ? a[i] - 32 : a[i];
    int y = b[i] >= 'a' && b[i] <= 'z' ? b[i] - 32 : b[i];
    if (x != y) return x - y;
  }
  return n1 - n2;
}

struct StmtDeleter {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

class Raw {
 public:
  explicit Raw(const fs::path& dir) {
    std::string path = (dir / "X.tps").string();
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
      die("cannot open " + path);
    sqlite3_create_collation(db_, "ORMILE_KEY", SQLITE_UTF8, nullptr, simpleKeyCompare);
    exec(kSchema);
  }
  ~Raw() {
    sqlite3_close(db_);  // the statements of the benchmarks are finalized by then
  }
  Raw(const Raw&) = delete;
  Raw& operator=(const Raw&) = delete;

  void exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
      die(std::string("raw exec failed: ") + sqlite3_errmsg(db_));
  }
  Stmt prepare(const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &s,
                           nullptr) != SQLITE_OK)
      die("raw prepare failed: " + std::string(sqlite3_errmsg(db_)) + " in " + sql);
    return Stmt(s);
  }
  const char* message() const { return sqlite3_errmsg(db_); }

 private:
  sqlite3* db_ = nullptr;
};

Stmt prepareInsert(Raw& raw) {
  return raw.prepare(
      "INSERT INTO \"main\".\"X\"(\"XId\", \"ClauseId\", \"XName\", \"BNF_Header\", "
      "\"BNF_Text\", \"XText\") VALUES(?, ?, ?, ?, ?, ?)");
}

bool insertRaw(sqlite3_stmt* s, const Row& r) {
  sqlite3_bind_int64(s, 1, r.id);
  sqlite3_bind_int64(s, 2, r.clauseId);
  sqlite3_bind_text(s, 3, r.name.data(), int(r.name.size()), SQLITE_STATIC);
  sqlite3_bind_text(s, 4, r.header.data(), int(r.header.size()), SQLITE_STATIC);
  sqlite3_bind_text(s, 5, r.text.data(), int(r.text.size()), SQLITE_STATIC);
  sqlite3_bind_text(s, 6, r.note.data(), int(r.note.size()), SQLITE_STATIC);
  bool done = sqlite3_step(s) == SQLITE_DONE;
  sqlite3_reset(s);
  return done;
}

void addRawRows(Raw& raw, int count) {
  Stmt ins = prepareInsert(raw);
  raw.exec("BEGIN");
  Row r;
  for (int n = 1; n <= count; ++n) {
    makeRow(n, r);
    if (!insertRaw(ins.get(), r)) die(std::string("raw insert failed: ") + raw.message());
  }
  raw.exec("COMMIT");
}

// What a program does with a row it reads: its values copied out. The buffers are reused, as
// the store reuses its record buffer.
struct RawRecord {
  int64_t recordId = 0, version = 0, id = 0, clauseId = 0;
  std::string name, header, text, note;
};

void assignText(std::string& to, sqlite3_stmt* s, int column) {
  const unsigned char* p = sqlite3_column_text(s, column);
  to.assign(p ? reinterpret_cast<const char*>(p) : "", size_t(sqlite3_column_bytes(s, column)));
}

void readRaw(sqlite3_stmt* s, RawRecord& r) {
  r.recordId = sqlite3_column_int64(s, 0);
  r.version = sqlite3_column_int64(s, 1);
  r.id = sqlite3_column_int64(s, 2);
  r.clauseId = sqlite3_column_int64(s, 3);
  assignText(r.name, s, 4);
  assignText(r.header, s, 5);
  assignText(r.text, s, 6);
  assignText(r.note, s, 7);
}

// ---- the shared read fixture ----------------------------------------------------------------

// One store directory and one raw file of kReadRows rows, built once for Next and Get.
struct ReadData {
  ReadData() : store(freshDir("read-store")), raw(freshDir("read-raw")) {
    addStoreRows(store, kReadRows);
    addRawRows(raw, kReadRows);
    std::mt19937 random(42);
    std::uniform_int_distribution<int32_t> pick(1, kReadRows);
    for (int i = 0; i < 4096; ++i) ids.push_back(pick(random));
    checkSameOrder();
  }

  // Both sides must walk the key in the same order, or Next compares different work.
  void checkSameOrder() {
    Stmt s = raw.prepare(std::string("SELECT ") + kColumns +
                         " FROM \"X\" WHERE (\"BNF_Header\" <> '') ORDER BY \"BNF_Header\"");
    RawRecord r;
    int n = 0;
    store.x.set(key::X::BNFHeaderKey);
    while (sqlite3_step(s.get()) == SQLITE_ROW) {
      readRaw(s.get(), r);
      if (store.x.next() != ErrorCode::None ||
          store.x.getString(fld::X::BNF_Header) != std::string_view(r.header))
        die("store and raw disagree on the order of BNFHeaderKey at row " + std::to_string(n));
      ++n;
    }
    if (n != kReadRows || store.x.next() != ErrorCode::RecordNotAvailable)
      die("store and raw disagree on the number of rows");
  }

  Store store;
  Raw raw;
  std::vector<int32_t> ids;
};

std::unique_ptr<ReadData> gRead;

ReadData& readData() {
  if (!gRead) gRead = std::make_unique<ReadData>();
  return *gRead;
}

// ---- 1. Add ---------------------------------------------------------------------------------

// Both sides commit after the timed loop: one transaction's commit spread over the rows is the
// same fixed cost for both, and it is not the operation compared here.
void addStore(benchmark::State& state) {
  Store s(freshDir("add-store"));
  if (s.session.tables().logout(5, {&s.x}) != ErrorCode::None) die("store logout failed");
  Row r;
  int32_t n = 0;
  for (auto _ : state) {
    makeRow(++n, r);
    fill(s.x, r, true);
    if (s.x.add() != ErrorCode::None) die("store add failed: " + s.x.errorText());
  }
  s.session.tables().commit();
}

void addRaw(benchmark::State& state) {
  Raw raw(freshDir("add-raw"));
  Stmt ins = prepareInsert(raw);
  raw.exec("BEGIN");
  Row r;
  int32_t n = 0;
  for (auto _ : state) {
    makeRow(++n, r);
    if (!insertRaw(ins.get(), r)) die(std::string("raw insert failed: ") + raw.message());
  }
  raw.exec("COMMIT");
}

// ---- 2. Next through a key ------------------------------------------------------------------

// One iteration is one next(); at the end of the key the walk starts again with set().
void nextStore(benchmark::State& state) {
  TableHandle& x = readData().store.x;
  x.set(key::X::BNFHeaderKey);
  for (auto _ : state) {
    ErrorCode e = x.next();
    if (e == ErrorCode::RecordNotAvailable) {
      x.set(key::X::BNFHeaderKey);
      e = x.next();
    }
    if (e != ErrorCode::None) die("store next failed: " + x.errorText());
    benchmark::DoNotOptimize(x.record().bytes().data());
  }
}

// The same walk inside one read burst: SQLite then takes the file's read lock once for the
// whole walk instead of once per statement, as a stepped cursor does.
void nextStoreInTransaction(benchmark::State& state) {
  Store& s = readData().store;
  TableHandle& x = s.x;
  ormile::data::ReadBurst burst(s.session.tables());
  x.set(key::X::BNFHeaderKey);
  for (auto _ : state) {
    ErrorCode e = x.next();
    if (e == ErrorCode::RecordNotAvailable) {
      x.set(key::X::BNFHeaderKey);
      e = x.next();
    }
    if (e != ErrorCode::None) die("store next failed: " + x.errorText());
    benchmark::DoNotOptimize(x.record().bytes().data());
  }
}

// The statements the store prepares for set() and next() on BNFHeaderKey, word for word: the
// first row, then the next key value (a unique key has no equal values to look for first).
void nextRawSeek(benchmark::State& state) {
  Raw& raw = readData().raw;
  std::string select =
      std::string("SELECT ") + kColumns + " FROM \"main\".\"X\" WHERE (\"BNF_Header\" <> '')";
  Stmt first = raw.prepare(select + " ORDER BY \"BNF_Header\", \"_RecordId\" LIMIT 1");
  Stmt nextGt = raw.prepare(select + " AND (\"BNF_Header\") > (?1) " +
                            "ORDER BY \"BNF_Header\", \"_RecordId\" LIMIT 1");
  RawRecord r;
  std::string at;  // the cursor: key value and record id of the current row
  int64_t atId = 0;
  auto fetch = [&](sqlite3_stmt* s) {
    bool row = sqlite3_step(s) == SQLITE_ROW;
    if (row) readRaw(s, r);
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    return row;
  };
  for (auto _ : state) {
    bool row;
    if (atId == 0) {
      row = fetch(first.get());
    } else {
      sqlite3_bind_text(nextGt.get(), 1, at.data(), int(at.size()), SQLITE_STATIC);
      row = fetch(nextGt.get());
      if (!row) row = fetch(first.get());  // past the end: start again, as the store side does
    }
    if (!row) die("raw seek found no row");
    at = r.header;
    atId = r.recordId;
    benchmark::DoNotOptimize(r.text.data());
  }
}

// The cheapest way SQLite walks an index: one statement stepped from row to row.
void nextRawCursor(benchmark::State& state) {
  Raw& raw = readData().raw;
  Stmt s = raw.prepare(std::string("SELECT ") + kColumns +
                       " FROM \"X\" WHERE (\"BNF_Header\" <> '') ORDER BY \"BNF_Header\"");
  RawRecord r;
  for (auto _ : state) {
    int rc = sqlite3_step(s.get());
    if (rc == SQLITE_DONE) {
      sqlite3_reset(s.get());
      rc = sqlite3_step(s.get());
    }
    if (rc != SQLITE_ROW) die("raw cursor failed");
    readRaw(s.get(), r);
    benchmark::DoNotOptimize(r.text.data());
  }
  sqlite3_reset(s.get());
}

// ---- 3. Get by key --------------------------------------------------------------------------

void getStore(benchmark::State& state) {
  ReadData& d = readData();
  TableHandle& x = d.store.x;
  size_t i = 0;
  for (auto _ : state) {
    x.setLong(fld::X::XId, d.ids[i++ % d.ids.size()]);
    if (x.get(key::X::XIdPkey) != ErrorCode::None) die("store get failed: " + x.errorText());
    benchmark::DoNotOptimize(x.record().bytes().data());
  }
}

// `condition` is the plain equality, or the equality together with the key's leaving-out
// condition: only the latter lets SQLite use the partial index, as the store's statement does.
void getRaw(benchmark::State& state, const char* condition) {
  ReadData& d = readData();
  Stmt s = d.raw.prepare(std::string("SELECT ") + kColumns + " FROM \"X\" WHERE " + condition);
  RawRecord r;
  size_t i = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(s.get(), 1, d.ids[i++ % d.ids.size()]);
    if (sqlite3_step(s.get()) != SQLITE_ROW) die("raw get found no row");
    readRaw(s.get(), r);
    sqlite3_reset(s.get());
    benchmark::DoNotOptimize(r.text.data());
  }
}

// ---- 4. Auto-numbered insert ----------------------------------------------------------------

// Each insert is its own committed transaction on both sides, as a single edit from a form is.
void autoNumberStore(benchmark::State& state) {
  Store s(freshDir("auto-store"));
  Row r;
  int32_t n = 0;
  for (auto _ : state) {
    makeRow(++n, r);
    fill(s.x, r, false);
    if (s.x.primeAutoNumber() != Level::Benign) die("primeAutoNumber failed: " + s.x.errorText());
  }
  if (s.x.getLong(fld::X::XId) != n) die("store numbering went astray");
}

void autoNumberRaw(benchmark::State& state) {
  Raw raw(freshDir("auto-raw"));
  Stmt begin = raw.prepare("BEGIN");
  Stmt commit = raw.prepare("COMMIT");
  Stmt last = raw.prepare("SELECT max(\"XId\") FROM \"X\"");
  Stmt ins = prepareInsert(raw);
  Row r;
  int32_t n = 0;
  for (auto _ : state) {
    makeRow(++n, r);
    if (sqlite3_step(begin.get()) != SQLITE_DONE) die("raw begin failed");
    sqlite3_reset(begin.get());
    if (sqlite3_step(last.get()) != SQLITE_ROW) die("raw max failed");
    r.id = int32_t(sqlite3_column_int64(last.get(), 0) + 1);
    sqlite3_reset(last.get());
    if (!insertRaw(ins.get(), r)) die(std::string("raw insert failed: ") + raw.message());
    if (sqlite3_step(commit.get()) != SQLITE_DONE) die("raw commit failed");
    sqlite3_reset(commit.get());
  }
  if (r.id != n) die("raw numbering went astray");
}

// Store and raw of one operation run back to back, so that both meet the same machine state.
BENCHMARK(addStore)->Name("Add/store")->Iterations(kAddRows)->UseRealTime();
BENCHMARK(addRaw)->Name("Add/raw")->Iterations(kAddRows)->UseRealTime();
BENCHMARK(nextStore)->Name("Next/store")->UseRealTime();
BENCHMARK(nextRawSeek)->Name("Next/raw_seek")->UseRealTime();
BENCHMARK(nextRawCursor)->Name("Next/raw_cursor")->UseRealTime();
BENCHMARK(nextStoreInTransaction)->Name("Next/store_in_read_burst")->UseRealTime();
BENCHMARK(getStore)->Name("Get/store")->UseRealTime();
BENCHMARK_CAPTURE(getRaw, plain, "\"XId\" = ?")->Name("Get/raw")->UseRealTime();
BENCHMARK_CAPTURE(getRaw, partial, "(\"XId\" <> 0) AND \"XId\" = ?")
    ->Name("Get/raw_partial")
    ->UseRealTime();
BENCHMARK(autoNumberStore)->Name("AutoNumber/store")->UseRealTime();
BENCHMARK(autoNumberRaw)->Name("AutoNumber/raw")->UseRealTime();

// Prints as usual and keeps real time per iteration of every benchmark for the ratio table:
// the sum over all runs, or the mean of the repetitions when only aggregates are reported.
class Collector : public benchmark::ConsoleReporter {
 public:
  struct Sum {
    double seconds = 0;
    double iterations = 0;
  };

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      // A mean aggregate holds the mean time of runs of equal iterations, so the same sum
      // gives its time per iteration.
      bool mean = run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean";
      if (run.run_type != Run::RT_Iteration && !mean) continue;
      Sum& s = (mean ? means_ : sums_)[run.run_name.function_name];
      s.seconds += run.real_accumulated_time;
      s.iterations += double(run.iterations);
    }
  }
  double nsPerOp(const std::string& name) const {
    for (const auto* m : {&sums_, &means_}) {
      auto it = m->find(name);
      if (it != m->end() && it->second.iterations > 0)
        return it->second.seconds * 1e9 / it->second.iterations;
    }
    return 0;
  }

 private:
  std::map<std::string, Sum> sums_, means_;
};

void printRatios(const Collector& c) {
  struct Line {
    const char* operation;
    const char* store;
    const char* raw;
  };
  const Line lines[] = {
      {"Add (in one transaction)", "Add/store", "Add/raw"},
      {"Next vs keyset seek", "Next/store", "Next/raw_seek"},
      {"Next vs stepped cursor", "Next/store", "Next/raw_cursor"},
      {"Next in read burst vs cursor", "Next/store_in_read_burst", "Next/raw_cursor"},
      {"Get vs WHERE XId = ?", "Get/store", "Get/raw"},
      {"Get vs partial-index form", "Get/store", "Get/raw_partial"},
      {"Auto-numbered insert", "AutoNumber/store", "AutoNumber/raw"},
  };
  std::printf("\n%-26s %14s %12s %8s  %s\n", "operation", "store ns/op", "raw ns/op", "ratio",
              "goal within 3x");
  for (const Line& l : lines) {
    double s = c.nsPerOp(l.store), r = c.nsPerOp(l.raw);
    if (s == 0 || r == 0) continue;  // filtered out of this run
    double ratio = s / r;
    std::printf("%-26s %14.0f %12.0f %7.2fx  %s\n", l.operation, s, r, ratio,
                ratio <= 3.0 ? "met" : "MISSED");
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string pattern = (fs::temp_directory_path() / "ormile-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) die("cannot make a temporary directory");
  gRoot = pattern;
  gMessages.setProgramEnd([](int) { die("the store ended the program"); });

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();
  printRatios(collector);

  gRead.reset();  // its connections close before their files go
  fs::remove_all(gRoot);
  return 0;
}
