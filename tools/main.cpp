// ormile-tool: the derivations without windows, on the data files of the current
// directory. Messages that the program shows in boxes go to standard error; a stop message
// is answered Ignore, or Abort with --abort-on-stop (then the run's rows are committed and
// the tool ends with status 1).
//
// Exit status: 0 done; 1 bad input or failure (nothing written, or the run ended early);
// 2 imported, but some productions were skipped or some texts stored cut or changed;
// check: 1 when some row's parent is missing.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/dates.h"
#include "base/messages.h"
#include "base/text.h"
#include "bnf/element_extraction.h"
#include "bnf/structure_rows.h"
#include "data/relations/session.h"
#include "tools/data_check.h"
#include "tools/grammar_import.h"
#include "tree/bom_levels.h"
#include "tree/print_tree.h"
#include "tree/tree_list.h"

namespace {

using namespace ormile;

constexpr const char* kUsage =
    "usage: ormile-tool import FILE [--part-name TEXT] [--ansi-number TEXT]\n"
    "                               [--iso-number TEXT] [--ratified YYYY-MM-DD]\n"
    "       ormile-tool elements PART_ID [--abort-on-stop]\n"
    "       ormile-tool structure PART_ID [--abort-on-stop]\n"
    "       ormile-tool check\n"
    "       ormile-tool listing [--all]\n"
    "       ormile-tool where-used [--all]\n";

// Main thread only (the tool has no other). Prints every message; a stop message gets the answer
// chosen on the command line, a question No (a console run cannot retry what failed), everything
// else its default.
class ConsoleAnswerer : public base::Answerer {
 public:
  explicit ConsoleAnswerer(bool abortOnStop) : abortOnStop_(abortOnStop) {}
  base::Answer ask(const base::ShownMessage& m) override {
    std::string text = m.text;
    for (char& ch : text)
      if (ch == '\n') ch = ' ';
    // The buffers hold Windows-1252; the console speaks UTF-8.
    std::cerr << m.title << ": " << base::cp1252ToUtf8(text) << "\n";
    switch (m.buttons) {
      case base::Buttons::AbortIgnore:
        return abortOnStop_ ? base::Answer::Abort : base::Answer::Ignore;
      case base::Buttons::YesNo:
      case base::Buttons::YesNoCancel:
        return base::Answer::No;
      case base::Buttons::Ok:
        break;
    }
    return m.defaultAnswer;
  }

 private:
  bool abortOnStop_;
};

int fail(const std::string& text) {
  std::cerr << "ormile-tool: " << text << "\n";
  return 1;
}

struct Args {
  std::string command;
  std::vector<std::string> positional;
  std::optional<std::string> partName, ansiNumber, isoNumber, ratified;
  bool abortOnStop = false;
  bool all = false;  // listing, where-used: every node expanded
};

bool parseArgs(int argc, char** argv, Args& a, std::string& error) {
  if (argc < 2) {
    error = "no command";
    return false;
  }
  a.command = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::optional<std::string>& into) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      into = argv[++i];
      return true;
    };
    if (arg == "--part-name" || arg == "--ansi-number" || arg == "--iso-number" ||
        arg == "--ratified") {
      if (a.command != "import") {
        error = arg + " belongs to import";
        return false;
      }
      auto& slot = arg == "--part-name"     ? a.partName
                   : arg == "--ansi-number" ? a.ansiNumber
                   : arg == "--iso-number"  ? a.isoNumber
                                            : a.ratified;
      if (!value(slot)) return false;
    } else if (arg == "--abort-on-stop") {
      a.abortOnStop = true;
    } else if (arg == "--all") {
      if (a.command != "listing" && a.command != "where-used") {
        error = arg + " belongs to listing and where-used";
        return false;
      }
      a.all = true;
    } else if (arg.rfind("--", 0) == 0) {
      error = "unknown option " + arg;
      return false;
    } else {
      a.positional.push_back(arg);
    }
  }
  return true;
}

// Command-line text is UTF-8; the buffers take Windows-1252 and refuse nothing silently.
bool toBuffer(const std::optional<std::string>& utf8, const char* what, std::string& out,
              std::string& error) {
  if (!utf8) return true;
  if (!base::fitsCp1252(*utf8)) {
    error = std::string(what) + " holds characters without a single-byte form";
    return false;
  }
  out = base::utf8ToCp1252(*utf8);
  return true;
}

int runImport(data::Session& session, base::MessageService& messages, const Args& a) {
  if (a.positional.size() != 1) return fail(std::string("import takes one FILE\n") + kUsage);
  const std::filesystem::path path = a.positional[0];
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return fail(path.string() + " is a directory");
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("cannot read " + path.string() + ": " + std::strerror(errno));
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return fail("cannot read " + path.string());

  tool::ImportOptions options;
  std::string error;
  std::string name;
  if (a.partName) {
    if (!toBuffer(a.partName, "--part-name", name, error)) return fail(error);
    options.partName = name;
  }
  if (!toBuffer(a.ansiNumber, "--ansi-number", options.ansiNumber, error) ||
      !toBuffer(a.isoNumber, "--iso-number", options.isoNumber, error))
    return fail(error);
  if (a.ratified) {
    base::CivilDate d;
    char rest = 0;
    if (std::sscanf(a.ratified->c_str(), "%4d-%2d-%2d%c", &d.year, &d.month, &d.day, &rest) != 3 ||
        !base::isValidDate(d))
      return fail("--ratified wants a date YYYY-MM-DD, not \"" + *a.ratified + "\"");
    options.ratificationDate = base::dayNumber(d);
  }
  tool::Grammar grammar = tool::parseGrammar(text.str());
  tool::ImportReport r = tool::importGrammar(session, messages, grammar, options);
  if (!r.ok) return fail(path.string() + ": " + r.error);
  std::printf("imported %s as SQL part %d: %d clauses, %d productions added, %zu skipped\n",
              path.string().c_str(), r.partId, r.clauses, r.productions, r.skipped.size());
  if (r.addedStructureType) std::printf("added structure type 1 \"Contains\"\n");
  for (const auto& s : r.skipped) std::printf("skipped %s\n", s.c_str());
  for (const auto& p : r.problems) std::fprintf(stderr, "ormile-tool: %s\n", p.c_str());
  return r.skipped.empty() && r.problems.empty() ? 0 : 2;
}

// The part to run on: an id that names an SQLParts row.
bool partOf(data::Session& session, const Args& a, int32_t& id, std::string& error) {
  if (a.positional.size() != 1) {
    error = a.command + " takes one PART_ID";
    return false;
  }
  const std::string& s = a.positional[0];
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end != '\0' || errno != 0 || v <= 0 || v > INT32_MAX) {
    error = "PART_ID must be a positive number, not \"" + s + "\"";
    return false;
  }
  id = int32_t(v);
  data::TableHandle& part = session[data::Handle::SQLParts];
  part.clear();
  part.setLong(data::fld::SQLParts::SQLPartId, id);
  store::ErrorCode e = part.get(data::key::SQLParts::SQLPartPkey);
  if (e == store::ErrorCode::RecordNotFound) {
    error = "no SQL part has the id " + s;
    return false;
  }
  if (!ok(e)) {
    error = "SQLParts could not be read: " + part.errorText();
    return false;
  }
  return true;
}

int runElements(data::Session& session, base::MessageService& messages, const Args& a) {
  int32_t id = 0;
  std::string error;
  if (!partOf(session, a, id, error)) return fail(error);
  bnf::ElementRunOutcome r = bnf::MakeBNFElementsForPart(session, messages, id);
  if (r.aborted) return 1;
  std::printf("elements of SQL part %d: %d productions, %d elements found, %d inserted\n", id,
              r.productions, r.found, r.inserted);
  if (!ok(r.error)) return fail("the run ended early: " + r.errorText);
  return 0;
}

int runStructure(data::Session& session, base::MessageService& messages, const Args& a) {
  int32_t id = 0;
  std::string error;
  if (!partOf(session, a, id, error)) return fail(error);
  bnf::StructureRunOutcome r = bnf::MakeStructureRows(session, messages, id);
  if (r.aborted) return 1;
  if (!ok(r.error))
    return fail("structure rows of SQL part " + std::to_string(id) + ": " + r.errorText);
  std::printf(
      "structure rows of SQL part %d: %d productions, %d roots, %d links, %d cut links added; "
      "%d refused; %d elements name no production; XSRecordNbr %d\n",
      id, r.productions, r.roots, r.links, r.cutLinks, r.refused, r.unnamed, r.xsRecordNbr);
  return 0;
}

int runCheck(data::Session& session, const Args& a) {
  if (!a.positional.empty()) return fail("check takes no arguments");
  tool::CheckReport r = tool::checkDataSet(session);
  if (!r.error.empty()) return fail(r.error);
  for (const auto& o : r.orphans) std::printf("missing parent: %s\n", o.c_str());
  for (const auto& u : r.unnamed) std::printf("names no production: %s\n", u.c_str());
  for (const auto& u : r.unreferenced) std::printf("named by no element: %s\n", u.c_str());
  std::printf(
      "check: %zu rows with a missing parent, %zu element texts name no production, "
      "%zu productions named by no element\n",
      r.orphans.size(), r.unnamed.size(), r.unreferenced.size());
  return r.relationsHold() ? 0 : 1;
}

// One line of a printed tree: the number, a blank, two blanks per level below the first, the
// header (the buffers hold Windows-1252; the console speaks UTF-8).
void printTreeLine(long number, int level, std::string_view header) {
  std::printf("%ld %s%s\n", number,
              std::string(size_t(2 * (level > 0 ? level - 1 : 0)), ' ').c_str(),
              base::cp1252ToUtf8(header).c_str());
}

// The explosion tree (roots only, or every node with --all) written into TreeOut by the same
// routine as the window's "Create PrintTree", then printed from TreeOut.
int runListing(data::Session& session, base::MessageService& messages, const Args& a) {
  if (!a.positional.empty()) return fail("listing takes no arguments but --all");
  int32_t type = tree::containsType(session);
  tree::TreeList explosion(session, tree::explosionLevels([&] { return type; }));
  if (a.all)
    explosion.explodeAll();
  else
    explosion.loadRoots();
  tree::PrintOutcome outcome = tree::CreatePrintTree(session, messages, explosion);
  if (outcome.failed) return 1;
  auto& out = session[data::Handle::TreeOut];
  namespace fT = data::fld::TreeOut;
  out.set(data::key::TreeOut::TreeOutPkey);
  while (ok(out.next()))
    printTreeLine(out.getLong(fT::ItemOutId), out.getLong(fT::Level),
                  out.getString(fT::BNF_Header));
  out.close();
  return 0;
}

// The where-used tree: for every used production, the productions that use it, up to the top.
int runWhereUsed(data::Session& session, const Args& a) {
  if (!a.positional.empty()) return fail("where-used takes no arguments but --all");
  int32_t type = tree::containsType(session);
  tree::TreeList whereUsed(session, tree::whereUsedLevels([&] { return type; }));
  if (a.all)
    whereUsed.explodeAll();
  else
    whereUsed.loadRoots();
  const auto& entries = whereUsed.entries();
  for (size_t i = 0; i < entries.size(); ++i)
    printTreeLine(long(i + 1), std::abs(entries[i].depth), whereUsed.text(int(i)));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Args a;
  std::string error;
  if (!parseArgs(argc, argv, a, error)) return fail(error + "\n" + kUsage);
  ConsoleAnswerer answerer(a.abortOnStop);
  base::MessageService messages(answerer);
  data::Session session(std::filesystem::current_path(), messages);
  if (a.command == "import") return runImport(session, messages, a);
  if (a.command == "elements") return runElements(session, messages, a);
  if (a.command == "structure") return runStructure(session, messages, a);
  if (a.command == "check") return runCheck(session, a);
  if (a.command == "listing") return runListing(session, messages, a);
  if (a.command == "where-used") return runWhereUsed(session, a);
  return fail("unknown command \"" + a.command + "\"\n" + kUsage);
}
