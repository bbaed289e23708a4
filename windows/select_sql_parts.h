// SelectSQLParts: "Select a SQLParts Record", the parts by id or by name, one sheet tab per
// order. Procedure thread only.
#pragma once

#include "windows/browse_window.h"

namespace ormile::windows {

platform::WindowDef selectSQLPartsWindow();

class SelectSQLPartsWindow : public BrowseWindow {
 public:
  explicit SelectSQLPartsWindow(Session& session);

 protected:
  base::Level openTables() override;
  void closeTables() override;
};

}  // namespace ormile::windows
