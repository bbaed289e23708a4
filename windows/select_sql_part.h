// SelectSQLPart: "Browse SQL Parts", the parts by name for a caller to pick one.
// Procedure thread only.
#pragma once

#include "windows/browse_window.h"

namespace ormile::windows {

platform::WindowDef selectSQLPartWindow();

class SelectSQLPartWindow : public BrowseWindow {
 public:
  explicit SelectSQLPartWindow(Session& session);

 protected:
  base::Level openTables() override;
  void closeTables() override;
};

}  // namespace ormile::windows
