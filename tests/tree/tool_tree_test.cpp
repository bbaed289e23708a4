// ormile-tool listing and where-used, as a user runs them.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "tests/support/test_support.h"

namespace ormile::test {
namespace {

class ToolTrees : public DataTest {
 protected:
  // Runs the tool in the test's directory; returns its standard output and sets `status`.
  std::string run(const std::string& args, int& status) {
    std::string cmd = "cd '" + dir_.string() + "' && '" ORMILE_TOOL "' " + args + " 2>/dev/null";
    FILE* p = ::popen(cmd.c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int rc = ::pclose(p);
    status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
  }
  void SetUp() override {
    std::ofstream(file("g.bnf")) << "--h2 1 Test\n<a> ::= <b> <c>\n\n<b> ::= x\n\n<c> ::= <b>\n";
    int status = 0;
    for (const char* step : {"import g.bnf", "elements 1", "structure 1"}) {
      run(step, status);
      ASSERT_EQ(status, 0) << step;
    }
  }
};

TEST_F(ToolTrees, ListingAndWhereUsedPrintTheTreesIndented) {
  struct Case {
    const char* args;
    const char* expected;
  } cases[] = {
      {"listing", "1 <a>\n"},
      {"listing --all", "1 <a>\n2   <b>\n3   <c>\n4     <b>\n"},
      {"where-used", "1 <b>\n2 <c>\n"},
      {"where-used --all", "1 <b>\n2   <a>\n3   <c>\n4     <a>\n5 <c>\n6   <a>\n"},
  };
  for (const auto& c : cases) {
    int status = -1;
    EXPECT_EQ(run(c.args, status), c.expected) << c.args;
    EXPECT_EQ(status, 0) << c.args;
  }
  int status = 0;
  run("listing --bogus", status);
  EXPECT_EQ(status, 1);
  run("check --all", status);
  EXPECT_EQ(status, 1) << "--all belongs to the tree commands";
}

}  // namespace
}  // namespace ormile::test
