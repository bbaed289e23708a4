#include "platform/settings.h"

#include <cstdlib>

namespace ormile::platform {

PlacementState Settings::restore(const std::string& procedure, PlacementState designed,
                                 bool resizable) const {
  auto maximize = file_.get(procedure, "Maximize");
  if (!maximize) return designed;
  PlacementState p = designed;
  p.maximized = *maximize == "Yes";
  p.minimized = file_.get(procedure, "Minimize").value_or("No") == "Yes";
  auto number = [&](const char* key, int& into) {
    if (auto v = file_.get(procedure, key)) into = std::atoi(v->c_str());
  };
  number("XPos", p.x);
  number("YPos", p.y);
  if (resizable) {
    number("Width", p.width);
    number("Height", p.height);
  }
  return p;
}

void Settings::save(const std::string& procedure, const PlacementState& p, bool resizable) {
  file_.put(procedure, "Maximize", p.maximized ? "Yes" : "No");
  file_.put(procedure, "Minimize", p.minimized ? "Yes" : "No");
  bool normal = !p.maximized && !p.minimized;
  if (normal) {
    file_.put(procedure, "XPos", std::to_string(p.x));
    file_.put(procedure, "YPos", std::to_string(p.y));
  } else {
    file_.remove(procedure, "XPos");
    file_.remove(procedure, "YPos");
  }
  if (normal && resizable) {
    file_.put(procedure, "Width", std::to_string(p.width));
    file_.put(procedure, "Height", std::to_string(p.height));
  } else {
    file_.remove(procedure, "Width");
    file_.remove(procedure, "Height");
  }
}

void Settings::finish() {
  file_.remove("__Dont_Touch_Me__", "Sectors");
  file_.put("__Dont_Touch_Me__", "Sectors", "0");
}

}  // namespace ormile::platform
