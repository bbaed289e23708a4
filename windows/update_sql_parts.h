// UpdateSQLParts: the form for one SQL part. Procedure thread only.
#pragma once

#include "platform/window_def.h"
#include "windows/update_form.h"

namespace ormile::windows {

// The window as designed (358 by 138 dialog units).
platform::WindowDef updateSQLPartsWindow();

class UpdateSQLPartsForm : public UpdateForm {
 public:
  explicit UpdateSQLPartsForm(Session& session);
};

}  // namespace ormile::windows
