#include "tree/bom_levels.h"

namespace ormile::tree {

using data::Handle;
namespace fXS = data::fld::XS;
namespace fX = data::fld::X;

namespace {

// The range of a recursive step: each child field takes the parent-step field of its link.
std::vector<Reading::Link> stepRange(Handle h) {
  std::vector<Reading::Link> range;
  for (const auto& link : data::recursiveStepOf(h)->links)
    range.push_back({link.parentStepField, link.childField, {}});
  return range;
}

}  // namespace

std::vector<LevelDef> explosionLevels(std::function<int32_t()> type) {
  LevelDef structure;
  structure.name = "Explosion";
  structure.primary = Handle::XS;
  structure.join = Handle::X;
  structure.joinKey = data::key::X::XIdPkey;
  structure.joinLink = {{fXS::PassiveId, fX::XId}};
  Reading roots;
  roots.parentLevel = -1;
  roots.key = data::key::XS::XSTFkey;
  roots.range = {{-1, fXS::XSTId, type}};
  roots.filters = {
      {"9 Select master rows",
       [](const store::Record& r) { return r.getLong(fXS::ActiveId) == 0; }},
      {"(XS:XSTid = XST:XSTId) AND ~XS:ActiveId",
       [type](const store::Record& r) {
         return r.getLong(fXS::XSTId) == type() && r.getLong(fXS::ActiveId) == 0;
       }},
  };
  Reading children;
  children.parentLevel = 0;
  children.key = data::recursiveStepOf(Handle::XS)->childKey;
  children.range = stepRange(Handle::XS);
  structure.readings = {roots, children};
  structure.childLevel = 0;
  structure.textFromJoin = true;
  structure.textField = fX::BNF_Header;
  structure.productionField = fXS::PassiveId;
  return {structure};
}

std::vector<LevelDef> whereUsedLevels(std::function<int32_t()> type) {
  LevelDef top;
  top.name = "Where Used";
  top.primary = Handle::AXUR;
  Reading all;
  all.parentLevel = -1;  // every production, in storage order
  top.readings = {all};
  top.childLevel = 1;
  top.textField = fX::BNF_Header;
  top.productionField = fX::XId;
  top.leaveOutChildless = true;
  top.clearOnRestore = {Handle::AXS, Handle::AXMas};  // a top node selects no structure row

  LevelDef uses;
  uses.name = "Structure";
  uses.primary = Handle::AXS;
  uses.join = Handle::AXMas;
  uses.joinKey = data::key::X::XIdPkey;
  uses.joinLink = {{fXS::ActiveId, fX::XId}};
  auto used = [](const store::Record& r) { return r.getLong(fXS::PassiveId) != 0; };
  Reading underTop;
  underTop.parentLevel = 0;
  underTop.key = data::key::XS::PassiveIdFkey;
  underTop.range = {{fX::XId, fXS::PassiveId, {}}};
  underTop.filters = {
      {"9 Backstop where-used recursion termination for primary level", used},
      {"(AXS:XSTid = XST:XSTid) AND AXS:ActiveId > 0",
       [type](const store::Record& r) {
         return r.getLong(fXS::XSTId) == type() && r.getLong(fXS::ActiveId) > 0;
       }},
  };
  Reading underUse;
  underUse.parentLevel = 1;
  underUse.key = data::recursiveStepOf(Handle::AXS)->childKey;
  underUse.range = stepRange(Handle::AXS);
  underUse.filters = {
      {"9 Backstop where-used recursion termination for recurring levels", used},
      {"AXS:ActiveId > 0", [](const store::Record& r) { return r.getLong(fXS::ActiveId) > 0; }},
  };
  uses.readings = {underTop, underUse};
  uses.childLevel = 1;
  uses.textFromJoin = true;
  uses.textField = fX::BNF_Header;
  uses.productionField = fXS::ActiveId;
  return {top, uses};
}

int32_t containsType(data::Session& session) {
  auto& xst = session[Handle::XST];
  xst.clear();
  xst.setString(data::fld::XST::XSTName, "Contains");
  if (!ok(xst.get(data::key::XST::ByXSTName))) {
    xst.clear();
    return 0;
  }
  return xst.getLong(data::fld::XST::XSTId);
}

}  // namespace ormile::tree
