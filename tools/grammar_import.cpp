// Reading a grammar text line by line, and writing what it holds through the table handles.
#include "tools/grammar_import.h"

#include <regex>

#include "base/text.h"
#include "bnf/run_support.h"

namespace ormile::tool {

using data::Handle;
using store::ErrorCode;
namespace fld = data::fld;
namespace key = data::key;

namespace {

constexpr size_t kHeaderWidth = 60;
constexpr size_t kClauseNumberWidth = 20;
constexpr size_t kClauseNameWidth = 120;
constexpr size_t kMemoLimit = 4096;

std::string_view trimBlanks(std::string_view s) {
  const char* blanks = " \t\r\n";
  size_t b = s.find_first_not_of(blanks);
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

std::string_view trimTrailing(std::string_view s) {
  size_t e = s.find_last_not_of(" \t\r\n");
  return e == std::string_view::npos ? std::string_view() : s.substr(0, e + 1);
}

// "<name> ::= rest": the header runs to the first ">", and only blanks may stand between
// it and the "::=".
bool splitProduction(std::string_view line, std::string& header, std::string_view& rest) {
  if (line.empty() || line[0] != '<') return false;
  size_t close = line.find('>');
  if (close == std::string_view::npos) return false;
  size_t at = line.find_first_not_of(" \t", close + 1);
  if (at == std::string_view::npos || line.substr(at, 3) != "::=") return false;
  header = std::string(line.substr(0, close + 1));
  rest = line.substr(at + 3);
  return true;
}

void setHeading(GrammarClause& clause, std::string_view text, int ordinal) {
  static const std::regex pageRef(R"(\s*\(p\d+\)\s*$)");
  static const std::regex numbered(R"(^(\d+(?:\.\d+)*)\.?(?:\s+(.*))?$)");
  std::string t = std::regex_replace(std::string(trimBlanks(text)), pageRef, "");
  std::smatch m;
  if (std::regex_match(t, m, numbered)) {
    clause.number = m[1];
    clause.name = m[2];
  } else {
    clause.number = std::to_string(ordinal);
    clause.name = t;
  }
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) {
    if (!s.empty()) s += '\n';
    s += l;
  }
  return s;
}

}  // namespace

int Grammar::productionCount() const {
  int n = 0;
  for (const auto& c : clauses) n += int(c.productions.size());
  return n;
}

Grammar parseGrammar(std::string_view utf8Text) {
  Grammar g;
  std::vector<std::string> lines;
  for (size_t start = 0; start <= utf8Text.size();) {
    size_t end = utf8Text.find('\n', start);
    if (end == std::string_view::npos) end = utf8Text.size();
    std::string_view l = utf8Text.substr(start, end - start);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    bool lossy = false;
    lines.push_back(base::utf8ToCp1252(l, &lossy));
    if (lossy) g.lossyLines.push_back(int(lines.size()));
    start = end + 1;
  }
  if (!lines.empty()) g.firstLine = std::string(trimBlanks(lines[0]));

  int headings = 0;
  bool inParagraph = false;
  std::vector<std::string> paragraph;
  std::optional<std::string> pendingNote;  // the last paragraph, until a production takes it
  GrammarProduction* open = nullptr;       // the production whose body is still being read
  std::vector<std::string> body;
  auto finishBody = [&] {
    if (!open) return;
    open->body = std::string(trimTrailing(joinLines(body)));
    open = nullptr;
    body.clear();
  };

  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    std::string header;
    std::string_view rest;
    if (line.rfind("--", 0) == 0) {
      finishBody();
      std::string_view markup = std::string_view(line).substr(2);
      size_t space = markup.find_first_of(" \t");
      std::string_view tag = markup.substr(0, space);
      std::string_view text =
          space == std::string_view::npos ? std::string_view() : trimBlanks(markup.substr(space));
      if (tag == "h2" || tag == "h3") {
        g.clauses.emplace_back();
        setHeading(g.clauses.back(), text, ++headings);
        pendingNote.reset();
      } else if (tag == "p") {
        inParagraph = true;
        paragraph.clear();
      } else if (tag == "/p") {
        if (inParagraph) pendingNote = joinLines(paragraph);
        inParagraph = false;
      } else if (inParagraph && tag != "##" && !text.empty()) {
        paragraph.emplace_back(text);  // "--i Some words": the words are commentary
      }
    } else if (splitProduction(line, header, rest)) {
      finishBody();
      inParagraph = false;
      if (g.clauses.empty()) {
        g.clauses.push_back({"0", "Productions before the first heading", {}});
      }
      GrammarProduction p;
      p.line = int(i + 1);
      p.header = header;
      if (pendingNote) p.note = *pendingNote;
      pendingNote.reset();
      g.clauses.back().productions.push_back(std::move(p));
      open = &g.clauses.back().productions.back();
      // The body begins after the "::=", or on the next line when nothing follows it.
      std::string_view first = trimBlanks(rest);
      if (!first.empty()) body.emplace_back(rest.substr(rest.find_first_not_of(" \t")));
    } else if (inParagraph) {
      paragraph.push_back(line);
    } else if (open) {
      if (body.empty() && trimBlanks(line).empty()) continue;
      body.push_back(line);
    }
  }
  finishBody();
  return g;
}

namespace {

// Adds the structure type row "Contains" (id 1) when XST lacks it.
bool ensureContains(data::Session& session, ImportReport& report) {
  data::TableHandle& xst = session[Handle::XST];
  xst.clear();
  xst.setLong(fld::XST::XSTId, 1);
  ErrorCode e = xst.get(key::XST::XSTPkey);
  if (ok(e)) {
    if (base::compareKeyText(xst.getString(fld::XST::XSTName), "Contains") != 0)
      report.problems.push_back("XST row 1 is named \"" +
                                base::cp1252ToUtf8(xst.getString(fld::XST::XSTName)) +
                                "\", not \"Contains\"; the trees look the type up by name");
    return true;
  }
  if (e != ErrorCode::RecordNotFound) {
    report.error = "XST could not be read: " + xst.errorText();
    return false;
  }
  xst.clear();
  xst.setLong(fld::XST::XSTId, 1);
  xst.setString(fld::XST::XSTName, "Contains");
  e = xst.add();
  if (ok(e)) {
    report.addedStructureType = true;
  } else if (e == ErrorCode::DuplicateKey) {
    report.problems.push_back("XST has \"Contains\" under another id than 1; not added");
  } else {
    report.error = "XST row 1 \"Contains\" could not be added: " + xst.errorText();
    return false;
  }
  return true;
}

void noteCut(ImportReport& report, const std::string& what, size_t length, size_t limit) {
  if (length > limit)
    report.problems.push_back(what + " has " + std::to_string(length) +
                              " characters; stored cut to " + std::to_string(limit));
}

std::string where(const GrammarProduction& p) {
  return "line " + std::to_string(p.line) + " " + base::cp1252ToUtf8(p.header);
}

}  // namespace

ImportReport importGrammar(data::Session& session, base::MessageService& messages,
                           const Grammar& grammar, const ImportOptions& options) {
  ImportReport report;
  if (grammar.productionCount() == 0) {
    report.error = "the text holds no production (\"<name> ::= ...\"); nothing was imported";
    return report;
  }
  for (Handle h : {Handle::SQLParts, Handle::Clause, Handle::X, Handle::XST}) {
    if (!session[h].ensureOpen()) {
      report.error = session[h].label() + " could not be opened: " + session[h].errorText();
      return report;
    }
  }
  for (int line : grammar.lossyLines)
    report.problems.push_back("line " + std::to_string(line) +
                              ": characters without a single-byte form were stored as \"?\"");
  ErrorCode e = session.tables().logout(data::Session::kTransactionWaitSeconds,
                                        {&session[Handle::SQLParts], &session[Handle::Clause],
                                         &session[Handle::X], &session[Handle::XST]});
  if (!ok(e)) {
    report.error = "the data files are in use elsewhere (" + store::errorText(e) + ")";
    return report;
  }
  // Any failure but a taken header undoes the whole import: half a grammar is worse than none.
  auto fail = [&](std::string why) {
    session.tables().rollback();
    report = {};
    report.error = std::move(why);
    return report;
  };

  data::TableHandle& part = session[Handle::SQLParts];
  part.clear();
  if (part.primeAutoNumber() != base::Level::Benign)
    return fail("SQLParts could not number a new part");
  // The part's name is its field's width by definition: no report for the cut.
  const std::string name = options.partName ? *options.partName : grammar.firstLine;
  part.setString(fld::SQLParts::PartName, name);
  part.setString(fld::SQLParts::ANSINumber, options.ansiNumber);
  part.setString(fld::SQLParts::ISONumber, options.isoNumber);
  part.setLong(fld::SQLParts::RatificationDate, options.ratificationDate);
  if (ErrorCode w = bnf::insertPrimed(part, messages); !ok(w))
    return fail("the part could not be added: " + store::errorText(w));
  report.partId = part.getLong(fld::SQLParts::SQLPartId);

  data::TableHandle& clause = session[Handle::Clause];
  data::TableHandle& x = session[Handle::X];
  for (const GrammarClause& c : grammar.clauses) {
    clause.clear();
    if (clause.primeAutoNumber() != base::Level::Benign)
      return fail("Clause could not number a new clause");
    const int32_t clauseId = clause.getLong(fld::Clause::ClauseId);
    noteCut(report, "clause number \"" + base::cp1252ToUtf8(c.number) + "\"", c.number.size(),
            kClauseNumberWidth);
    noteCut(report, "clause name \"" + base::cp1252ToUtf8(c.name) + "\"", c.name.size(),
            kClauseNameWidth);
    clause.setLong(fld::Clause::SQLPartId, report.partId);
    clause.setString(fld::Clause::ClauseNumber, c.number);
    clause.setString(fld::Clause::ClauseName, c.name);
    if (!ok(bnf::insertPrimed(clause, messages)))
      return fail("clause \"" + base::cp1252ToUtf8(c.name) + "\" could not be added");
    ++report.clauses;
    for (const GrammarProduction& p : c.productions) {
      x.clear();
      if (x.primeAutoNumber() != base::Level::Benign)
        return fail("X could not number a new production");
      noteCut(report, where(p) + ": the header", p.header.size(), kHeaderWidth);
      noteCut(report, where(p) + ": the body", p.body.size(), kMemoLimit);
      noteCut(report, where(p) + ": the note", p.note.size(), kMemoLimit);
      x.setLong(fld::X::ClauseId, clauseId);
      x.setString(fld::X::BNF_Header, p.header);
      x.setMemo(fld::X::BNF_Text, p.body);
      x.setMemo(fld::X::XText, p.note);
      ErrorCode w = bnf::insertPrimed(x, messages);
      if (w == ErrorCode::DuplicateKey) {
        report.skipped.push_back(where(p) + ": the header is already taken");
        continue;
      }
      if (!ok(w)) return fail(where(p) + " could not be added: " + store::errorText(w));
      ++report.productions;
    }
  }
  if (!ensureContains(session, report)) return fail(report.error);
  e = session.tables().commit();
  if (!ok(e)) {
    report = {};
    report.error =
        "the import could not be committed (" + store::errorText(e) + "); nothing was imported";
    return report;
  }
  report.ok = true;
  return report;
}

}  // namespace ormile::tool
