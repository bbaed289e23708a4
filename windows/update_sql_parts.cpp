// The SQL part form: its layout and its six fields.
#include "windows/update_sql_parts.h"

#include "windows/procedures.h"
#include "windows/sql_part_defs.h"

namespace ormile::windows {

using namespace sqlparts;
namespace fs = data::fld::SQLParts;

platform::WindowDef updateSQLPartsWindow() {
  platform::WindowDef w = window("UpdateSQLParts", "Update the SQLParts File", 358, 138, "Tahoma");
  w.add(sheet("?CurrentTab", 4, 2, 350, 114));
  int general = w.add(tab("?Tab:1", "General"));
  auto prompt = [&](const std::string& label, const std::string& text, int x, int y) {
    platform::ControlDef c = platform::control(label, platform::ControlKind::Prompt, text, x, y);
    c.parent = general;
    c.transparent = true;
    w.add(c);
  };
  auto entry = [&](const std::string& label, const std::string& picture, int x, int y, int width,
                   bool right, bool required, bool skip) {
    platform::ControlDef c =
        platform::control(label, platform::ControlKind::Entry, "", x, y, width, 10);
    c.picture = picture;
    c.parent = general;
    c.align = right ? platform::Align::Right : platform::Align::Left;
    c.indent = right ? 1 : 0;
    c.required = required;
    c.skip = skip;
    w.add(c);
  };
  prompt("?STD:SQLPartId:Prompt", "SQL Part Id:", 36, 20);
  entry("?STD:SQLPartId", "@n-14", 85, 20, 64, true, true, true);
  prompt("?STD:PartName:Prompt", "Part Name:", 40, 34);
  entry("?STD:PartName", "@s60", 85, 34, 244, false, true, false);
  prompt("?STD:Description:Prompt", "Description:", 39, 49);
  entry("?STD:Description", "@s255", 85, 48, 266, false, false, false);
  prompt("?STD:ANSINumber:Prompt", "ANSI Number:", 31, 63);
  entry("?STD:ANSINumber", "@s40", 85, 62, 164, false, false, false);
  prompt("?STD:ISONumber:Prompt", "ISO Number:", 35, 77);
  entry("?STD:ISONumber", "@s20", 85, 76, 84, false, false, false);
  prompt("?STD:RatificationDate:Prompt", "Ratification Date:", 20, 90);
  entry("?STD:RatificationDate", "@d4", 85, 90, 104, true, false, false);
  platform::ControlDef ok = button("?OK", "OK", 211, 120);
  ok.defaultButton = true;
  w.add(ok);
  w.add(button("?Cancel", "Cancel", 260, 120));
  w.add(button("?Help", "Help", 309, 120));
  return w;
}

UpdateSQLPartsForm::UpdateSQLPartsForm(Session& session)
    : UpdateForm(session, updateSQLPartsWindow(), data::Handle::SQLParts,
                 {"Adding a SQLParts Record", "Changing a SQLParts Record", "View Record"}) {
  bindField("?STD:SQLPartId", fs::SQLPartId);
  bindField("?STD:PartName", fs::PartName);
  bindField("?STD:Description", fs::Description);
  bindField("?STD:ANSINumber", fs::ANSINumber);
  bindField("?STD:ISONumber", fs::ISONumber);
  bindField("?STD:RatificationDate", fs::RatificationDate);
  bindOk("?OK");
  bindCancel("?Cancel");
  bindHelp("?Help");
}

Response UpdateSQLParts(Session& session) {
  return UpdateSQLPartsForm(session).run();
}

}  // namespace ormile::windows
