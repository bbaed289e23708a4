// The settings service: the placement of each window in the settings file, in a section
// named after the window's procedure, with the keys "Maximize", "Minimize", "XPos", "YPos",
// "Width" and "Height". Thread-safe.
#pragma once

#include <filesystem>
#include <string>

#include "platform/events.h"
#include "platform/ini_file.h"

namespace ormile::platform {

class Settings {
 public:
  // The program's file is "dvak.INI" in the current directory.
  static constexpr const char* kFileName = "dvak.INI";
  explicit Settings(std::filesystem::path iniPath) : file_(std::move(iniPath)) {}

  // The stored placement over the designed one. A section without "Maximize" is ignored;
  // a missing key keeps the designed value; the size is taken only for a resizable window.
  PlacementState restore(const std::string& procedure, PlacementState designed,
                         bool resizable) const;
  // Stores a window's placement as it closes.
  void save(const std::string& procedure, const PlacementState& placement, bool resizable);
  // The service's own section, written last when the program ends.
  void finish();

  IniFile& file() { return file_; }

 private:
  IniFile file_;
};

}  // namespace ormile::platform
