// The layout, list and two orders of SelectSQLParts.
#include "windows/select_sql_parts.h"

#include "windows/procedures.h"
#include "windows/sql_part_defs.h"

namespace ormile::windows {

using namespace sqlparts;
namespace fs = data::fld::SQLParts;
namespace ks = data::key::SQLParts;

platform::WindowDef selectSQLPartsWindow() {
  platform::WindowDef w =
      window("SelectSQLParts", "Select a SQLParts Record", 358, 188, "MS Sans Serif");
  platform::ControlDef l = list("?Browse:1", 8, 20, 342, 124);
  l.columns = {column("SQLP art Id", "@n-14", true), column("Part Name", "@s60"),
               column("Description", "@s255"),       column("ANSIN umber", "@s40"),
               column("ISON umber", "@s20"),         column("Ratification Date", "@d4", true)};
  w.add(l);
  platform::ControlDef select = button("?Select:2", "&Select", 305, 148);
  select.defaultButton = true;
  w.add(select);
  w.add(sheet("?CurrentTab", 4, 4, 350, 162));
  w.add(tab("?Tab:1", "STD:SQLPartPkey"));
  w.add(tab("?Tab:2", "STD:SQLPartNameKey"));
  w.add(button("?Close", "Close", 260, 170));
  w.add(button("?Help", "Help", 309, 170));
  return w;
}

SelectSQLPartsWindow::SelectSQLPartsWindow(Session& session)
    : BrowseWindow(session, selectSQLPartsWindow(), data::Handle::SQLParts, "?Browse:1") {
  BrowseList& l = list();
  l.addOrder({ks::SQLPartPkey, fs::SQLPartId});
  l.addOrder({ks::SQLPartNameKey, fs::PartName});
  l.addColumn(fs::SQLPartId, "@n-14");
  l.addColumn(fs::PartName, "@s60");
  l.addColumn(fs::Description, "@s255");
  l.addColumn(fs::ANSINumber, "@s40");
  l.addColumn(fs::ISONumber, "@s20");
  l.addColumn(fs::RatificationDate, "@d4");
  bindButtons("", "", "", "?Select:2");
  bindClose("?Close");
  bindHelp("?Help");
  bindOrderSheet("?CurrentTab");
}

base::Level SelectSQLPartsWindow::openTables() {
  return session().relation(data::Handle::SQLParts).open();
}

void SelectSQLPartsWindow::closeTables() {
  session().relation(data::Handle::SQLParts).close();
}

Response SelectSQLParts(Session& session) {
  return SelectSQLPartsWindow(session).run();
}

}  // namespace ormile::windows
