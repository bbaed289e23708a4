// The dictionary's contents, exactly as the data files declare them.
#include "data/tables/dictionary.h"

#include <array>
#include <cstdlib>

#include "base/text.h"

namespace ormile::data {
namespace {

using store::ColumnDef;
using store::ColumnType;
using store::KeyDef;
using store::KeyKind;

ColumnDef Long(std::string name) {
  return {std::move(name), ColumnType::Long, 4};
}
ColumnDef Str(std::string name, int n) {
  return {std::move(name), ColumnType::String, n};
}
ColumnDef Memo(std::string name) {
  return {std::move(name), ColumnType::Memo, 4096};
}

TableDef make(Table id, std::string label, std::string prefix, std::string file,
              std::vector<ColumnDef> columns, std::vector<KeyDef> keys, int autoNumberKey = -1) {
  TableDef t;
  t.id = id;
  t.label = label;
  t.prefix = std::move(prefix);
  t.schema.label = std::move(label);
  t.schema.fileName = std::move(file);
  t.schema.columns = std::move(columns);
  t.schema.keys = std::move(keys);
  t.schema.finish();
  t.autoNumberKey = autoNumberKey;
  for (const auto& c : t.schema.columns)
    if (c.type == ColumnType::Memo) t.memoNames.push_back(t.prefix + ":" + c.name);
  return t;
}

std::array<TableDef, kTableCount> buildTables() {
  const auto D = KeyKind::Duplicates, U = KeyKind::Unique, P = KeyKind::Primary;
  std::array<TableDef, kTableCount> t;
  t[0] = make(Table::SQLParts, "SQLParts", "STD", "SQLParts",
              {Long("SQLPartId"), Str("PartName", 60), Str("Description", 255),
               Str("ANSINumber", 40), Str("ISONumber", 20), Long("RatificationDate")},
              {{"SQLPartPkey", {0}, P}, {"SQLPartNameKey", {1}, D}}, 0);
  t[1] = make(Table::Clause, "Clause", "CLS", "CLAUSE",
              {Long("ClauseId"), Long("SQLPartId"), Str("ClauseNumber", 20), Str("ClauseName", 120),
               Str("ClauseFunction", 255), Memo("ClauseDescription")},
              {{"ClausePkey", {0}, P},
               {"SQLPartFkey", {1}, D},
               {"ClauseNumberKey", {2}, D},
               {"ClauseNameKey", {3}, D}},
              0);
  t[1].parentChecks.push_back({fld::Clause::SQLPartId, Table::SQLParts, key::SQLParts::SQLPartPkey,
                               fld::SQLParts::SQLPartId, "CLS:SQLPartId", "SQLParts"});
  t[2] = make(
      Table::X, "X", "X", "X.tps",
      {Long("XId"), Long("ClauseId"), Str("XName", 60), Str("BNF_Header", 60), Memo("BNF_Text"),
       Memo("XText")},
      {{"XIdPkey", {0}, P}, {"ClauseFkey", {1}, D}, {"BNFHeaderKey", {3}, U}, {"XNameKey", {2}, U}},
      0);
  t[2].parentChecks.push_back({fld::X::ClauseId, Table::Clause, key::Clause::ClausePkey,
                               fld::Clause::ClauseId, "X:ClauseId", "Clause"});
  t[3] = make(Table::XS, "XS", "XS", "XS.tps",
              {Long("XSTId"), Long("ActiveId"), Long("PassiveId"), Long("RecurPassiveId"),
               Long("Seq"), Long("TreeId")},
              {{"PassiveIdFkey", {2, 0}, D},
               {"NoRecursionKey", {1, 2, 5}, U},
               {"ActiveIdFkey", {1, 0}, D},
               {"ActiveSubsetKey", {0, 1, 4}, P},
               {"PassiveSubsetKey", {0, 2, 1}, U},
               {"XSTFkey", {0}, D}},
              key::XS::ActiveSubsetKey);
  t[4] = make(Table::XST, "XST", "XST", "XST.TPS", {Long("XSTId"), Str("XSTName", 20)},
              {{"XSTPkey", {0}, P}, {"ByXSTName", {1}, U}}, 0);
  t[5] = make(Table::XSNoRecur, "XSNoRecur", "XSNR", "XSNR.tps",
              {Long("ActiveId"), Long("PassiveId"), Long("TreeId")},
              {{"NoRecursionPassiveKey", {1}, D}, {"NoRecursionActiveKey", {0}, D}});
  t[6] =
      make(Table::BNFElement, "BNFElement", "BNFEL", "BNFElement",
           {Long("BNFElementId"), Long("XId"), Str("BNFElement", 120), Long("BNFElementSequence")},
           {{"BNFElementPkey", {0}, P}, {"XFkey", {1}, D}, {"BNFElementNameKey", {2}, D}}, 0);
  t[6].parentChecks.push_back(
      {fld::BNFElement::XId, Table::X, key::X::XIdPkey, fld::X::XId, "X Identifier", "X"});
  t[7] = make(Table::TreeOut, "TreeOut", "TREOUT", "TREEOUT",
              {Long("ItemOutId"), Long("XId"), Long("Level"), Str("PartNumber", 120),
               Str("PartName", 120), Str("ClauseNumber", 120), Str("ClauseName", 120),
               Str("BNF_Header", 120), Memo("BNF_Body"), Memo("XText")},
              {{"TreeOutPkey", {0}, D}});
  return t;
}

const std::array<TableDef, kTableCount>& tables() {
  static const auto t = buildTables();
  return t;
}

HandleDef makeHandle(Handle id, std::string label, std::string prefix, Table table) {
  HandleDef h{id, std::move(label), std::move(prefix), table, {}};
  for (const auto& k : tableDef(table).schema.keys) {
    // The two subset keys of the structure rows are described by their purpose.
    if (table == Table::XS && k.name == "ActiveSubsetKey")
      h.keyDescriptions.push_back("Used to explode a bill");
    else if (table == Table::XS && k.name == "PassiveSubsetKey")
      h.keyDescriptions.push_back("Inverse of parts explosion");
    else
      h.keyDescriptions.push_back(h.prefix + ":" + k.name);
  }
  return h;
}

const std::array<HandleDef, kHandleCount>& handles() {
  static const std::array<HandleDef, kHandleCount> h = {
      makeHandle(Handle::SQLParts, "SQLParts", "STD", Table::SQLParts),
      makeHandle(Handle::Clause, "Clause", "CLS", Table::Clause),
      makeHandle(Handle::X, "X", "X", Table::X),
      makeHandle(Handle::XS, "XS", "XS", Table::XS),
      makeHandle(Handle::XST, "XST", "XST", Table::XST),
      makeHandle(Handle::XSNoRecur, "XSNoRecur", "XSNR", Table::XSNoRecur),
      makeHandle(Handle::BNFElement, "BNFElement", "BNFEL", Table::BNFElement),
      makeHandle(Handle::TreeOut, "TreeOut", "TREOUT", Table::TreeOut),
      makeHandle(Handle::AA_XSNoRecur, "AA_XSNoRecur", "AA_XSNoRecur", Table::XSNoRecur),
      makeHandle(Handle::A_XSNoRecur, "A_XSNoRecur", "A_XSNoRecur", Table::XSNoRecur),
      makeHandle(Handle::A_BNFElement, "A_BNFElement", "A_BNFE", Table::BNFElement),
      makeHandle(Handle::AXUR, "AXUR", "AXU", Table::X),
      makeHandle(Handle::AXMas, "AXMas", "AXM", Table::X),
      makeHandle(Handle::XRecur, "XRecur", "XRE", Table::X),
      makeHandle(Handle::AXX, "AXX", "AXX", Table::X),
      makeHandle(Handle::A_SQLParts, "A_SQLParts", "A_SQLP", Table::SQLParts),
      makeHandle(Handle::AXPAS, "AXPAS", "AXP", Table::XS),
      makeHandle(Handle::AXACT, "AXACT", "AXA", Table::XS),
      makeHandle(Handle::AXS, "AXS", "AXS", Table::XS),
  };
  return h;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && base::compareKeyText(a, b) == 0;
}

}  // namespace

const TableDef& tableDef(Table table) {
  return tables()[size_t(table)];
}
const HandleDef& handleDef(Handle handle) {
  return handles()[size_t(handle)];
}

std::optional<Handle> handleByPrefix(std::string_view prefix) {
  for (const auto& h : handles())
    if (sameName(h.prefix, prefix)) return h.id;
  return std::nullopt;
}

std::optional<FieldName> fieldByName(std::string_view fullName) {
  auto colon = fullName.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  auto h = handleByPrefix(fullName.substr(0, colon));
  if (!h) return std::nullopt;
  const auto& cols = tableOf(*h).schema.columns;
  for (size_t i = 0; i < cols.size(); ++i)
    if (sameName(cols[i].name, fullName.substr(colon + 1))) return FieldName{*h, int(i)};
  return std::nullopt;
}

std::optional<FieldName> keyByName(std::string_view fullName) {
  auto colon = fullName.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  auto h = handleByPrefix(fullName.substr(0, colon));
  if (!h) return std::nullopt;
  const auto& keys = tableOf(*h).schema.keys;
  for (size_t i = 0; i < keys.size(); ++i)
    if (sameName(keys[i].name, fullName.substr(colon + 1))) return FieldName{*h, int(i)};
  return std::nullopt;
}

std::string fieldName(Handle handle, int field) {
  return handleDef(handle).prefix + ":" + tableOf(handle).schema.columns[size_t(field)].name;
}

std::string keyName(Handle handle, int key) {
  return handleDef(handle).prefix + ":" + tableOf(handle).schema.keys[size_t(key)].name;
}

}  // namespace ormile::data
