// The data dictionary: the eight tables and eleven aliases, their fields, keys, memos,
// auto-numbered keys and parent checks. Immutable after start-up; thread-safe to read.
//
// Fields and keys are reached by index, with the constants below (fld::X::BNF_Header,
// key::X::BNFHeaderKey), or by their full names ("X:BNF_Header", "AXX:BNFHeaderKey"),
// which are case-insensitive. An alias uses the field and key indexes of its table.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/store/schema.h"

namespace ormile::data {

enum class Table { SQLParts, Clause, X, XS, XST, XSNoRecur, BNFElement, TreeOut };
constexpr int kTableCount = 8;

// Every table and alias: one handle of each per thread.
enum class Handle {
  SQLParts,
  Clause,
  X,
  XS,
  XST,
  XSNoRecur,
  BNFElement,
  TreeOut,
  AA_XSNoRecur,
  A_XSNoRecur,
  A_BNFElement,
  AXUR,
  AXMas,
  XRecur,
  AXX,
  A_SQLParts,
  AXPAS,
  AXACT,
  AXS,
};
constexpr int kHandleCount = 19;

// Field indexes, in record order (memos last, as they follow the fixed part).
namespace fld {
namespace SQLParts {
enum : int { SQLPartId, PartName, Description, ANSINumber, ISONumber, RatificationDate };
}
namespace Clause {
enum : int { ClauseId, SQLPartId, ClauseNumber, ClauseName, ClauseFunction, ClauseDescription };
}
namespace X {
enum : int { XId, ClauseId, XName, BNF_Header, BNF_Text, XText };
}
namespace XS {
enum : int { XSTId, ActiveId, PassiveId, RecurPassiveId, Seq, TreeId };
}
namespace XST {
enum : int { XSTId, XSTName };
}
namespace XSNoRecur {
enum : int { ActiveId, PassiveId, TreeId };
}
namespace BNFElement {
enum : int { BNFElementId, XId, BNFElement, BNFElementSequence };
}
namespace TreeOut {
enum : int {
  ItemOutId,
  XId,
  Level,
  PartNumber,
  PartName,
  ClauseNumber,
  ClauseName,
  BNF_Header,
  BNF_Body,
  XText
};
}
}  // namespace fld

// Key indexes, in the table's key order.
namespace key {
namespace SQLParts {
enum : int { SQLPartPkey, SQLPartNameKey };
}
namespace Clause {
enum : int { ClausePkey, SQLPartFkey, ClauseNumberKey, ClauseNameKey };
}
namespace X {
enum : int { XIdPkey, ClauseFkey, BNFHeaderKey, XNameKey };
}
namespace XS {
enum : int {
  PassiveIdFkey,
  NoRecursionKey,
  ActiveIdFkey,
  ActiveSubsetKey,
  PassiveSubsetKey,
  XSTFkey
};
}
namespace XST {
enum : int { XSTPkey, ByXSTName };
}
namespace XSNoRecur {
enum : int { NoRecursionPassiveKey, NoRecursionActiveKey };
}
namespace BNFElement {
enum : int { BNFElementPkey, XFkey, BNFElementNameKey };
}
namespace TreeOut {
enum : int { TreeOutPkey };
}
}  // namespace key

// A check that the record's parent exists.
struct ParentCheck {
  int field;  // the foreign field of this table
  Table parent;
  int parentKey;            // the parent's primary key
  int parentField;          // its one component
  std::string fieldText;    // %Field of the message
  std::string messageText;  // %Message of the message
};

struct TableDef {
  Table id;
  std::string label;
  std::string prefix;
  store::TableSchema schema;
  int autoNumberKey = -1;  // the auto-numbered key, or -1
  std::vector<ParentCheck> parentChecks;
  std::vector<std::string> memoNames;  // "X:BNF_Text", ...
};

struct HandleDef {
  Handle id;
  std::string label;  // "%File" of messages
  std::string prefix;
  Table table;
  std::vector<std::string> keyDescriptions;  // by key index
  bool isAlias() const { return int(id) >= kTableCount; }
};

const TableDef& tableDef(Table table);
const HandleDef& handleDef(Handle handle);
inline const TableDef& tableOf(Handle handle) {
  return tableDef(handleDef(handle).table);
}
inline Handle handleOf(Table table) {
  return Handle(int(table));
}

std::optional<Handle> handleByPrefix(std::string_view prefix);

// "PREFIX:Name" of a field or key, for the handles (table or alias) whose prefix it names.
struct FieldName {
  Handle handle;
  int field;
};
std::optional<FieldName> fieldByName(std::string_view fullName);
std::optional<FieldName> keyByName(std::string_view fullName);  // `field` holds the key index
std::string fieldName(Handle handle, int field);                // "AXX:BNF_Header"
std::string keyName(Handle handle, int key);                    // "AXX:BNFHeaderKey"

}  // namespace ormile::data
