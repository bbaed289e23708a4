// ormile-tool as a user runs it: a real process in a working directory of its own.
#include <fstream>
#include <sstream>

#include "tests/bnf/bnf_fixture.h"

namespace ormile::test {
namespace {

struct ToolRun {
  int status;
  std::string out, err;
  int count(const std::string& what) const {
    int n = 0;
    for (size_t at = err.find(what); at != std::string::npos; at = err.find(what, at + 1)) ++n;
    return n;
  }
};

// Runs the tool in the test's directory and keeps what it printed. Test thread only.
class Tool : public DataTest {
 protected:
  ToolRun run(const std::string& args) {
    const std::string out = (dir_ / "out.txt").string(), err = (dir_ / "err.txt").string();
    ToolRun r;
    r.status = shell("cd '" + dir_.string() + "' && '" ORMILE_TOOL "' " + args + " >'" + out +
                     "' 2>'" + err + "'");
    r.out = read(out);
    r.err = read(err);
    return r;
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name) << text;
  }
};

TEST_F(Tool, RealGrammarRunsEndToEnd) {
  ToolRun imported = run("import '" ORMILE_SQL99_BNF "' --ratified 1999-12-01");
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_NE(imported.out.find("as SQL part 1"), std::string::npos);
  ToolRun elements = run("elements 1");
  ASSERT_EQ(elements.status, 0) << elements.err;
  EXPECT_EQ(elements.count("Stop: at 0"), 1);
  ToolRun structure = run("structure 1");
  ASSERT_EQ(structure.status, 0) << structure.err;
  ToolRun check = run("check");
  EXPECT_EQ(check.status, 0) << check.out;
  EXPECT_NE(check.out.find("0 rows with a missing parent"), std::string::npos);

  // Again: one stop message per existing root, answered Ignore; then Abort ends at the first.
  ToolRun again = run("structure 1");
  EXPECT_EQ(again.status, 0);
  EXPECT_GT(again.count("Stop: Creates Duplicate Key"), 1);
  EXPECT_NE(again.out.find(" 0 roots, 0 links, 0 cut links added"), std::string::npos);
  ToolRun aborted = run("structure 1 --abort-on-stop");
  EXPECT_EQ(aborted.status, 1);
  EXPECT_EQ(aborted.count("Stop: Creates Duplicate Key"), 1);
  // The abort left the working table free and the data whole.
  EXPECT_EQ(run("check").status, 0);
  EXPECT_EQ(run("structure 1").status, 0);
}

struct BadInput {
  const char* what;
  const char* args;
  int status;
  const char* message;  // part of standard error
};

TEST_F(Tool, BadInputGetsAClearMessage) {
  write("empty.bnf", "Nothing\n--h2 Heading\nwords only\n");
  write("long.bnf", "Long\n<long> ::= " + std::string(5000, 'x') + "\n");
  write("small.bnf", "Small\n<a> ::= <b>\n<b> ::= b\n");
  const std::vector<BadInput> cases = {
      {"no command", "", 1, "usage:"},
      {"unknown command", "explode", 1, "unknown command"},
      {"missing file", "import missing.bnf", 1, "cannot read missing.bnf"},
      {"a directory", "import .", 1, "is a directory"},
      {"no production", "import empty.bnf", 1, "holds no production"},
      {"bad date", "import small.bnf --ratified 1999-02-30", 1, "YYYY-MM-DD"},
      {"body over 4096", "import long.bnf", 2, "stored cut to 4096"},
      {"taken headers", "import small.bnf --part-name Again", 0, ""},
      {"taken headers again", "import small.bnf --part-name Again", 2, "Duplicate Key Error"},
      {"unknown part", "elements 9", 1, "no SQL part has the id 9"},
      {"part id not a number", "structure x1", 1, "PART_ID must be a positive number"},
      {"check with arguments", "check 1", 1, "takes no arguments"},
  };
  for (const BadInput& c : cases) {
    SCOPED_TRACE(c.what);
    ToolRun r = run(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  // Only the long and the small imports were written: parts 1 to 3.
  ToolRun check = run("check");
  EXPECT_EQ(check.status, 0) << check.out;
}

}  // namespace
}  // namespace ormile::test
