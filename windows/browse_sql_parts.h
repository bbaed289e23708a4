// BrowseSQLParts: "Browse the SQLParts File", the parts by name with insert, change and
// delete through UpdateSQLParts, and the two derivations on the highlighted part with the
// counter ?XSRecordNbr. Procedure thread only.
#pragma once

#include <chrono>
#include <cstdint>

#include "windows/browse_window.h"

namespace ormile::windows {

platform::WindowDef browseSQLPartsWindow();

class BrowseSQLPartsWindow : public BrowseWindow {
 public:
  explicit BrowseSQLPartsWindow(Session& session);

 protected:
  base::Level openTables() override;
  void closeTables() override;
  void init() override;
  void button(int control) override;

 private:
  void makeBNFElements();
  void makeStructureRows();
  // Shows the counter; while a run works only every so often, so the run stays fast.
  void showCounter(int32_t value, bool always);
  void runEnded(const char* run, store::ErrorCode error, const std::string& errorText);

  int32_t XSRecordNbr = 0;
  std::chrono::steady_clock::time_point shownAt_{};
};

}  // namespace ormile::windows
