// Loading a BNF grammar text (the plain-text form of the SQL-99 grammar and texts like it)
// into the tables: the text becomes one SQLParts row, each "--h2"/"--h3" heading a Clause,
// each "<name> ::= body" an X row of the current clause, and the structure type "Contains"
// is added when XST lacks it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/messages.h"
#include "data/relations/session.h"

namespace ormile::tool {

struct GrammarProduction {
  int line = 0;        // 1-based line of the "::="
  std::string header;  // Windows-1252, as written
  std::string body;    // the text after "::=" and its continuation lines, trailing blanks gone
  std::string note;    // the commentary paragraph just before the production
};

struct GrammarClause {
  std::string number;
  std::string name;
  std::vector<GrammarProduction> productions;
};

struct Grammar {
  std::string firstLine;
  std::vector<GrammarClause> clauses;
  // Lines whose characters have no single-byte form (stored as "?").
  std::vector<int> lossyLines;
  int productionCount() const;
};

// Reads the structure of a grammar text (UTF-8). Productions before the first heading go
// into a clause of their own, numbered "0". Pure function.
Grammar parseGrammar(std::string_view utf8Text);

struct ImportOptions {
  std::optional<std::string> partName;  // else the text's first line
  std::string ansiNumber;
  std::string isoNumber;
  int32_t ratificationDate = 0;  // day number (base/dates.h), 0 for none
};

struct ImportReport {
  bool ok = false;
  std::string error;  // when !ok: nothing was written
  int32_t partId = 0;
  int clauses = 0;
  int productions = 0;
  bool addedStructureType = false;
  std::vector<std::string> skipped;   // productions refused, one line each
  std::vector<std::string> problems;  // texts stored cut or changed, one line each
};

// Writes `grammar` through the table handles of `session` (numbering, parent checks and
// all), in one transaction: a production whose header is taken is reported by the insert's
// message, listed in `skipped` and left out; any other failure rolls the whole import back.
// A grammar without productions is refused. Procedure thread only.
ImportReport importGrammar(data::Session& session, base::MessageService& messages,
                           const Grammar& grammar, const ImportOptions& options);

}  // namespace ormile::tool
