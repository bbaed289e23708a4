// The layout, list and buttons of BrowseSQLParts, and its two derivation runs.
#include "windows/browse_sql_parts.h"

#include "bnf/element_extraction.h"
#include "bnf/structure_rows.h"
#include "windows/procedures.h"
#include "windows/sql_part_defs.h"

namespace ormile::windows {

using namespace sqlparts;
using data::Handle;
namespace fs = data::fld::SQLParts;

namespace {
// The counter reaches the screen at most this often while a run works.
constexpr std::chrono::milliseconds kCounterInterval{100};
}  // namespace

platform::WindowDef browseSQLPartsWindow() {
  platform::WindowDef w = window("BrowseSQLParts", "Browse the SQLParts File", 482, 159, "Tahoma");
  platform::ControlDef l = list("?Browse:1", 15, 30, 441, 79);
  l.columns = {column("SQL Part Id", "@n-14", true), column("Part Name", "@s60"),
               column("ANSI Number", "@s40"), column("ISO Number", "@s20"),
               column("Ratification Date", "@d4", true)};
  w.add(l);
  w.add(button("?Button7", "Make Structure Rows", 11, 140, 82, 14));
  platform::ControlDef label;
  label.label = "?String1";
  label.kind = platform::ControlKind::Prompt;
  label.text = "Making Structure Record: ";
  label.x = 100;
  label.y = 143;
  w.add(label);
  platform::ControlDef counter;
  counter.label = "?XSRecordNbr";
  counter.kind = platform::ControlKind::Display;
  counter.picture = "@n-14";
  counter.text = "0";
  counter.x = 184;
  counter.y = 143;
  w.add(counter);
  w.add(button("?Insert:2", "&Insert", 97, 114));
  platform::ControlDef change = button("?Change:2", "&Change", 147, 114);
  change.defaultButton = true;
  w.add(change);
  w.add(button("?Delete:2", "&Delete", 195, 114));
  w.add(sheet("?CurrentTab", 8, 5, 459, 130));
  int partTab = w.add(tab("?Tab:1", "SQL Standard Part Name"));
  platform::ControlDef elements = button("?Button6", "Make BNF Elements", 15, 114, 78, 14);
  elements.parent = partTab;
  w.add(elements);
  w.add(button("?Close", "Close", 267, 141));
  w.add(button("?Help", "Help", 316, 141));
  return w;
}

BrowseSQLPartsWindow::BrowseSQLPartsWindow(Session& session)
    : BrowseWindow(session, browseSQLPartsWindow(), Handle::SQLParts, "?Browse:1") {
  BrowseList& l = list();
  l.addOrder({data::key::SQLParts::SQLPartNameKey, fs::PartName});
  l.addColumn(fs::SQLPartId, "@n-14");
  l.addColumn(fs::PartName, "@s60");
  l.addColumn(fs::ANSINumber, "@s40");
  l.addColumn(fs::ISONumber, "@s20");
  l.addColumn(fs::RatificationDate, "@d4");
  l.setForm(UpdateSQLParts);
  bindButtons("?Insert:2", "?Change:2", "?Delete:2", "");
  bindClose("?Close");
  bindHelp("?Help");
}

// XSNoRecur and its aliases are left to the structure run, which takes XSNoRecur for
// exclusive use and closes it when it ends: held open here for the window's life, they
// would refuse that run to every other BrowseSQLParts window.
base::Level BrowseSQLPartsWindow::openTables() {
  if (session().relation(Handle::BNFElement).open() != base::Level::Benign)
    return base::Level::Fatal;
  for (Handle h : {Handle::AXX, Handle::A_BNFElement, Handle::A_SQLParts}) {
    if (session()[h].open() != base::Level::Benign) {
      closeTables();
      return base::Level::Fatal;
    }
  }
  return base::Level::Benign;
}

void BrowseSQLPartsWindow::closeTables() {
  for (Handle h : {Handle::A_SQLParts, Handle::A_BNFElement, Handle::AXX})
    if (session()[h].isOpen()) session()[h].close();
  session().relation(Handle::BNFElement).close();
}

void BrowseSQLPartsWindow::init() {
  BrowseWindow::init();
  showCounter(XSRecordNbr, true);
}

void BrowseSQLPartsWindow::button(int c) {
  if (c == control("?Button6"))
    makeBNFElements();
  else if (c == control("?Button7"))
    makeStructureRows();
}

void BrowseSQLPartsWindow::showCounter(int32_t value, bool always) {
  XSRecordNbr = value;
  auto now = std::chrono::steady_clock::now();
  if (!always && now - shownAt_ < kCounterInterval) return;
  shownAt_ = now;
  screen().setText(id(), control("?XSRecordNbr"), std::to_string(value));
}

void BrowseSQLPartsWindow::runEnded(const char* run, store::ErrorCode error,
                                    const std::string& errorText) {
  if (store::ok(error)) return;
  tell(run,
       std::string(run) + " ended early: " + errorText + ". The rows it made before are kept.");
}

void BrowseSQLPartsWindow::makeBNFElements() {
  const store::Record* part = list().current();
  if (!part) return;
  int32_t partId = part->getLong(fs::SQLPartId);
  screen().setWaitCursor(id(), true);
  bnf::ElementRunOutcome o = bnf::MakeBNFElementsForPart(
      session().data(), session().messages(), partId, [this](int32_t n) { showCounter(n, false); });
  showCounter(XSRecordNbr, true);
  screen().setWaitCursor(id(), false);
  runEnded("Make BNF Elements", o.error, o.errorText);
  list().reread();
}

void BrowseSQLPartsWindow::makeStructureRows() {
  const store::Record* part = list().current();
  if (!part) return;
  int32_t partId = part->getLong(fs::SQLPartId);
  screen().setWaitCursor(id(), true);
  bnf::StructureRunOutcome o = bnf::MakeStructureRows(
      session().data(), session().messages(), partId, [this](int32_t n) { showCounter(n, false); });
  showCounter(o.xsRecordNbr, true);
  screen().setWaitCursor(id(), false);
  // A refused exclusive use of XSNoRecur was told by the run's own stop message.
  if (o.error != store::ErrorCode::AccessDenied || o.productions > 0)
    runEnded("Make Structure Rows", o.error, o.errorText);
  list().reread();
}

void BrowseSQLParts(Session& session) {
  BrowseSQLPartsWindow(session).run();
}

}  // namespace ormile::windows
