// What the store needs to know of a table: its columns in record order, its keys in key
// order, and where it lives. The dictionary (data/tables) builds one per table; aliases
// share their table's schema. Immutable after construction; thread-safe to read.
#pragma once

#include <string>
#include <vector>

namespace ormile::store {

enum class ColumnType { Long, String, Memo };

struct ColumnDef {
  std::string name;  // without prefix: "BNF_Header"
  ColumnType type = ColumnType::Long;
  int width = 4;    // bytes of a LONG (4), of a STRING(n) (n), or the MEMO limit (4096)
  int offset = -1;  // byte offset in the fixed part; -1 for a memo
  int memoIndex = -1;
  bool keyed = false;  // part of some key (the file gives it the key collation)
};

enum class KeyKind { Duplicates, Unique, Primary };

struct KeyDef {
  std::string name;          // without prefix: "BNFHeaderKey"
  std::vector<int> columns;  // column indexes, in key order
  KeyKind kind = KeyKind::Duplicates;
  bool refusesDuplicates() const { return kind != KeyKind::Duplicates; }
};

struct TableSchema {
  std::string label;     // the table's label, also the name of the table inside the file
  std::string fileName;  // as declared ("X.tps", "CLAUSE"); see fileNameWithExtension
  std::vector<ColumnDef> columns;
  std::vector<KeyDef> keys;
  int recordLength = 0;  // sum of the fixed widths
  int memoCount = 0;

  // Fills offsets, memo indexes, keyed flags and the record length from columns and keys.
  void finish();
  // The declared name, with ".TPS" added when it has no extension.
  std::string fileNameWithExtension() const;
};

}  // namespace ormile::store
