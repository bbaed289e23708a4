// Table files as they are found on disk: missing, readable by other tools, damaged,
// read-only, or with keys missing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "tests/support/test_support.h"

namespace ormile::test {
namespace {

using data::Handle;
using store::ErrorCode;
namespace fX = data::fld::X;

class Files : public DataTest {
 protected:
  std::string slurp(const std::string& name) {
    std::ifstream in(file(name), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  std::string sqlite(const std::string& name, const std::string& sql) {
    std::string out = (dir_ / "sqlite.out").string();
    shell("sqlite3 '" + file(name).string() + "' \"" + sql + "\" > '" + out + "' 2>&1");
    std::string text = slurp("sqlite.out");
    std::filesystem::remove(out);
    return text;
  }
};

TEST_F(Files, MissingFilesAreCreatedUnderTheirNamesAndOtherToolsReadThem) {
  auto s = newSession();
  for (int t = 0; t < data::kTableCount; ++t)
    EXPECT_EQ((*s)[data::Table(t)].open(), base::Level::Benign);
  for (const char* name : {"SQLParts.TPS", "CLAUSE.TPS", "X.tps", "XS.tps", "XST.TPS", "XSNR.tps",
                           "BNFElement.TPS", "TREEOUT.TPS"})
    EXPECT_TRUE(std::filesystem::exists(file(name))) << name;
  addX(*s, 7, 3, "<caf\xE9>");  // Windows-1252 e acute
  EXPECT_EQ(sqlite("X.tps", "SELECT XId, ClauseId, BNF_Header FROM X"), "7|3|<caf\xC3\xA9>\n");
  EXPECT_TRUE(answers_.shown().empty());
}

TEST_F(Files, FileThatIsNoDatabaseIsFatalAndLeftUntouched) {
  const std::string garbage = "this is not a table file\n" + std::string(3000, 'x');
  std::ofstream(file("X.tps"), std::ios::binary) << garbage;
  auto s = newSession();
  EXPECT_EQ((*s)[Handle::X].open(), base::Level::Fatal);
  ASSERT_EQ(answers_.shown().size(), 1u);
  EXPECT_EQ(answers_.shown()[0].title, "File Open Error");
  EXPECT_EQ(answers_.shown()[0].text.rfind("File X could not be opened.  Error: ", 0), 0u);
  EXPECT_NE(answers_.shown()[0].text.find("  Press OK to end this application"), std::string::npos);
  EXPECT_EQ(programEnds_, 1);
  EXPECT_EQ(slurp("X.tps"), garbage);
  // The other tables of the session are not affected.
  EXPECT_EQ((*s)[Handle::Clause].open(), base::Level::Benign);
}

TEST_F(Files, TableWithAnotherRecordLayoutIsFatal) {
  sqlite("X.tps", "CREATE TABLE X(a, b)");
  auto s = newSession();
  EXPECT_EQ((*s)[Handle::X].open(), base::Level::Fatal);
  EXPECT_TRUE(answers_.sawTitle("File Open Error"));
}

TEST_F(Files, ReadOnlyFileFallsBackToReadingWithItsMessage) {
  {
    auto s = newSession();
    addX(*s, 1, 1, "<a>");
  }
  ::chmod(file("X.tps").c_str(), 0444);
  auto s = newSession();
  auto& x = (*s)[Handle::X];
  EXPECT_EQ(x.open(), base::Level::Benign);
  ASSERT_EQ(answers_.titles(), std::vector<std::string>{"File Access"});
  EXPECT_EQ(answers_.shown()[0].text, "Could not get write access to X so trying read-only.");
  EXPECT_EQ(x.file().mode(), store::OpenMode::ReadOnly);
  x.clear();
  x.setLong(fX::XId, 1);
  EXPECT_EQ(x.get(data::key::X::XIdPkey), ErrorCode::None);
  EXPECT_EQ(x.getString(fX::BNF_Header), "<a>");
  x.setLong(fX::XId, 2);
  EXPECT_EQ(x.add(), ErrorCode::AccessDenied);
  EXPECT_EQ(programEnds_, 0);
}

TEST_F(Files, MissingKeysAreRebuiltAfterTheirMessage) {
  {
    auto s = newSession();
    addX(*s, 2, 1, "<b>");
    addX(*s, 1, 1, "<a>");
  }
  sqlite("X.tps", "DROP INDEX BNFHeaderKey");
  ASSERT_EQ(sqlite("X.tps", "SELECT count(*) FROM sqlite_master WHERE name='BNFHeaderKey'"), "0\n");
  auto s = newSession();
  auto& x = (*s)[Handle::X];
  EXPECT_EQ(x.open(), base::Level::Benign);
  ASSERT_EQ(answers_.titles(), std::vector<std::string>{"Key Rebuild"});
  EXPECT_EQ(answers_.shown()[0].text, "X key file is invalid. Key must be rebuilt.");
  EXPECT_EQ(sqlite("X.tps", "SELECT count(*) FROM sqlite_master WHERE name='BNFHeaderKey'"), "1\n");
  std::vector<std::string> order;
  x.set(data::key::X::BNFHeaderKey);
  while (ok(x.next())) order.emplace_back(x.getString(fX::BNF_Header));
  EXPECT_EQ(order, (std::vector<std::string>{"<a>", "<b>"}));
  // The rebuilt key refuses duplicates again.
  x.clear();
  x.setLong(fX::XId, 3);
  x.setString(fX::BNF_Header, "<A>");
  EXPECT_EQ(x.add(), ErrorCode::DuplicateKey);
}

TEST_F(Files, KeysThatCannotBeRebuiltAreFatal) {
  {
    auto s = newSession();
    addX(*s, 1, 1, "<a>");
  }
  // Another tool drops the key and then adds a row that the key would have refused.
  sqlite("X.tps",
         "DROP INDEX BNFHeaderKey; DROP INDEX XNameKey; INSERT INTO X(XId, BNF_Header) VALUES(2, "
         "'<a>')");
  auto s = newSession();
  EXPECT_EQ((*s)[Handle::X].open(), base::Level::Fatal);
  EXPECT_EQ(answers_.titles(), (std::vector<std::string>{"Key Rebuild", "Key Rebuild Error"}));
  EXPECT_EQ(programEnds_, 1);
}

}  // namespace
}  // namespace ormile::test
