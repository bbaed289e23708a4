// The layout, list and order of SelectSQLPart.
#include "windows/select_sql_part.h"

#include "windows/procedures.h"
#include "windows/sql_part_defs.h"

namespace ormile::windows {

using namespace sqlparts;
namespace fs = data::fld::SQLParts;

platform::WindowDef selectSQLPartWindow() {
  platform::WindowDef w = window("SelectSQLPart", "Browse SQL Parts", 358, 188, "Tahoma");
  platform::ControlDef l = list("?Browse:1", 9, 20, 342, 124);
  l.columns = {column("Part Name", "@s60"), column("ANSI Number", "@s40"),
               column("ISO Number", "@s20"), column("Ratification Date", "@d4", true)};
  w.add(l);
  platform::ControlDef select = button("?Select:2", "&Select", 305, 148);
  select.defaultButton = true;
  w.add(select);
  w.add(sheet("?CurrentTab", 4, 4, 350, 162));
  w.add(tab("?Tab:1", "SQL Parts"));
  w.add(button("?Close", "Close", 260, 170));
  w.add(button("?Help", "Help", 309, 170));
  return w;
}

SelectSQLPartWindow::SelectSQLPartWindow(Session& session)
    : BrowseWindow(session, selectSQLPartWindow(), data::Handle::SQLParts, "?Browse:1") {
  BrowseList& l = list();
  l.addOrder({data::key::SQLParts::SQLPartNameKey, fs::PartName});
  // STD:SQLPartId rides along in each row's record without a column of its own.
  l.addColumn(fs::PartName, "@s60");
  l.addColumn(fs::ANSINumber, "@s40");
  l.addColumn(fs::ISONumber, "@s20");
  l.addColumn(fs::RatificationDate, "@d4");
  bindButtons("", "", "", "?Select:2");
  bindClose("?Close");
  bindHelp("?Help");
}

base::Level SelectSQLPartWindow::openTables() {
  return session().relation(data::Handle::SQLParts).open();
}

void SelectSQLPartWindow::closeTables() {
  session().relation(data::Handle::SQLParts).close();
}

Response SelectSQLPart(Session& session) {
  return SelectSQLPartWindow(session).run();
}

}  // namespace ormile::windows
