// Fixtures of the derivation tests: productions with bodies, and the rows the runs write,
// read back as plain values that compare in one expectation.
#pragma once

#include <gmock/gmock.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/test_support.h"

namespace ormile::test {

struct Production {
  int id;
  std::string header;
  std::string body;
};

// (XS:ActiveId, XS:PassiveId, XS:RecurPassiveId, XS:Seq, XS:TreeId); XS:XSTId is checked
// to be 1 when read.
using XsRow = std::tuple<int, int, int, int, int>;
// (XSNR:ActiveId, XSNR:PassiveId, XSNR:TreeId)
using NrRow = std::tuple<int, int, int>;
// (BNFEL:BNFElementId, BNFEL:BNFElement, BNFEL:BNFElementSequence)
using ElementRow = std::tuple<int, std::string, int>;

// One session on the test's directory. Test thread only.
class BnfTest : public DataTest {
 protected:
  BnfTest() : s(newSession()) {}

  // Adds the productions to `clause` (and the clause and part when missing), in order.
  void addProductions(int part, int clause, const std::vector<Production>& productions);
  std::vector<ElementRow> elementsOf(int xId);
  std::vector<std::tuple<int, std::string, int>> allElements();  // (XId, text, seq)
  std::set<XsRow> xsRows();
  std::multiset<NrRow> nrRows();
  std::vector<std::string> stopTexts();

  std::unique_ptr<data::Session> s;
};

}  // namespace ormile::test
