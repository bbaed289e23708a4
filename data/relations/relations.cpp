#include "data/relations/relations.h"

#include <array>

namespace ormile::data {
namespace {

Relation oneToMany(Handle child, int childKey, std::vector<std::pair<int, int>> links, Rule update,
                   Rule del) {
  return Relation{child, false, childKey, std::move(links), update, del};
}
Relation lookup(Handle parent) {
  return Relation{parent, true, -1, {}, Rule::None, Rule::None};
}

std::array<std::vector<Relation>, kHandleCount> build() {
  using H = Handle;
  std::array<std::vector<Relation>, kHandleCount> r;
  r[size_t(H::SQLParts)] = {oneToMany(H::Clause, key::Clause::SQLPartFkey,
                                      {{fld::SQLParts::SQLPartId, fld::Clause::SQLPartId}},
                                      Rule::Cascade, Rule::Restrict)};
  r[size_t(H::Clause)] = {
      lookup(H::SQLParts),
      oneToMany(H::X, key::X::ClauseFkey, {{fld::Clause::ClauseId, fld::X::ClauseId}},
                Rule::Cascade, Rule::Restrict)};
  r[size_t(H::X)] = {
      oneToMany(H::BNFElement, key::BNFElement::XFkey, {{fld::X::XId, fld::BNFElement::XId}},
                Rule::Cascade, Rule::Restrict),
      lookup(H::Clause),
      oneToMany(H::AXS, key::XS::ActiveIdFkey, {{fld::X::XId, fld::XS::ActiveId}}, Rule::None,
                Rule::Restrict),
      oneToMany(H::XS, key::XS::PassiveIdFkey, {{fld::X::XId, fld::XS::PassiveId}}, Rule::None,
                Rule::Cascade)};
  r[size_t(H::XST)] = {oneToMany(H::AXS, key::XS::XSTFkey, {{fld::XST::XSTId, fld::XS::XSTId}},
                                 Rule::None, Rule::Restrict),
                       oneToMany(H::XS, key::XS::XSTFkey, {{fld::XST::XSTId, fld::XS::XSTId}},
                                 Rule::None, Rule::Restrict)};
  r[size_t(H::AXUR)] = {oneToMany(H::AXS, key::XS::PassiveIdFkey,
                                  {{fld::X::XId, fld::XS::PassiveId}}, Rule::None, Rule::Restrict)};
  r[size_t(H::AXMas)] = {oneToMany(H::AXS, key::XS::ActiveIdFkey,
                                   {{fld::X::XId, fld::XS::ActiveId}}, Rule::None, Rule::None)};
  r[size_t(H::AXPAS)] = {
      oneToMany(H::AXS, key::XS::PassiveSubsetKey,
                {{fld::XS::XSTId, fld::XS::XSTId}, {fld::XS::ActiveId, fld::XS::PassiveId}},
                Rule::None, Rule::None)};
  r[size_t(H::AXACT)] = {
      oneToMany(H::XS, key::XS::ActiveSubsetKey,
                {{fld::XS::XSTId, fld::XS::XSTId}, {fld::XS::PassiveId, fld::XS::ActiveId}},
                Rule::None, Rule::None)};
  r[size_t(H::BNFElement)] = {lookup(H::X)};
  r[size_t(H::XS)] = {lookup(H::XST), lookup(H::AXACT), lookup(H::X)};
  r[size_t(H::AXS)] = {lookup(H::AXMas), lookup(H::AXUR), lookup(H::AXPAS), lookup(H::XST),
                       lookup(H::X)};
  return r;
}

}  // namespace

const std::vector<Relation>& relationsOf(Handle handle) {
  static const auto all = build();
  return all[size_t(handle)];
}

Handle aliasTie(Handle handle) {
  return handleOf(handleDef(handle).table);
}

const RecursiveStep* recursiveStepOf(Handle handle) {
  static const RecursiveStep explosion{
      Handle::XS,
      TreeKind::Explosion,
      Handle::AXACT,
      key::XS::ActiveSubsetKey,
      key::XS::PassiveIdFkey,
      {{fld::XS::XSTId, fld::XS::XSTId, fld::XS::XSTId},
       {fld::XS::PassiveId, fld::XS::ActiveId, fld::XS::PassiveId}},
      {fld::XS::ActiveId, fld::XS::PassiveId}};
  static const RecursiveStep whereUsed{Handle::AXS,
                                       TreeKind::WhereUsed,
                                       Handle::AXPAS,
                                       key::XS::PassiveSubsetKey,
                                       key::XS::ActiveIdFkey,
                                       {{fld::XS::XSTId, fld::XS::XSTId, fld::XS::XSTId},
                                        {fld::XS::ActiveId, fld::XS::PassiveId, fld::XS::ActiveId}},
                                       {fld::XS::PassiveId, fld::XS::ActiveId}};
  if (handle == Handle::XS) return &explosion;
  if (handle == Handle::AXS) return &whereUsed;
  return nullptr;
}

}  // namespace ormile::data
