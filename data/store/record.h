// The record buffer of a table handle: the fixed-length part exactly as declared (LONG as
// four bytes, STRING(n) as n single-byte characters, blank-padded) and the memos beside it.
// Procedure thread only: each handle of each thread has its own buffer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/store/schema.h"

namespace ormile::store {

class Record {
 public:
  explicit Record(const TableSchema& schema);

  const TableSchema& schema() const { return *schema_; }

  int32_t getLong(int column) const;
  void setLong(int column, int32_t value);

  // The whole field, n bytes, blank-padded.
  std::string_view getString(int column) const;
  // Without trailing blanks.
  std::string_view getTrimmed(int column) const;
  // Cut to the width, padded with blanks.
  void setString(int column, std::string_view bytes);

  const std::string& getMemo(int column) const;
  // Cut to the memo's limit.
  void setMemo(int column, std::string_view bytes);

  // Text of any field (a LONG as its decimal digits); assigns by the field's rules.
  std::string getText(int column) const;
  void setText(int column, std::string_view bytes);

  // Blanks the texts, zeroes the numbers, empties the memos.
  void clear();
  // Sets every component of `key` to its lowest (low = true) or highest value.
  void setKeyExtreme(int key, bool low);
  void setColumnExtreme(int column, bool low);

  const std::vector<char>& bytes() const { return fixed_; }
  bool operator==(const Record& other) const {
    return fixed_ == other.fixed_ && memos_ == other.memos_;
  }

 private:
  const TableSchema* schema_;
  std::vector<char> fixed_;
  std::vector<std::string> memos_;
};

}  // namespace ormile::store
