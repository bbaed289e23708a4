#include "data/store/record.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/text.h"

namespace ormile::store {

void TableSchema::finish() {
  int offset = 0;
  memoCount = 0;
  for (auto& c : columns) {
    if (c.type == ColumnType::Memo) {
      c.offset = -1;
      c.memoIndex = memoCount++;
    } else {
      c.offset = offset;
      offset += c.width;
    }
    c.keyed = false;
  }
  for (const auto& k : keys)
    for (int col : k.columns) columns[col].keyed = true;
  recordLength = offset;
}

std::string TableSchema::fileNameWithExtension() const {
  auto slash = fileName.find_last_of("/\\");
  auto dot = fileName.find('.', slash == std::string::npos ? 0 : slash + 1);
  return dot == std::string::npos ? fileName + ".TPS" : fileName;
}

Record::Record(const TableSchema& schema)
    : schema_(&schema),
      fixed_(size_t(schema.recordLength), '\0'),
      memos_(size_t(schema.memoCount)) {
  clear();
}

int32_t Record::getLong(int column) const {
  int32_t v;
  std::memcpy(&v, fixed_.data() + schema_->columns[column].offset, sizeof v);
  return v;
}

void Record::setLong(int column, int32_t value) {
  std::memcpy(fixed_.data() + schema_->columns[column].offset, &value, sizeof value);
}

std::string_view Record::getString(int column) const {
  const auto& c = schema_->columns[column];
  return std::string_view(fixed_.data() + c.offset, size_t(c.width));
}

std::string_view Record::getTrimmed(int column) const {
  return base::rtrim(getString(column));
}

void Record::setString(int column, std::string_view bytes) {
  const auto& c = schema_->columns[column];
  size_t n = std::min(bytes.size(), size_t(c.width));
  char* dst = fixed_.data() + c.offset;
  std::memcpy(dst, bytes.data(), n);
  std::memset(dst + n, ' ', size_t(c.width) - n);
}

const std::string& Record::getMemo(int column) const {
  return memos_[size_t(schema_->columns[column].memoIndex)];
}

void Record::setMemo(int column, std::string_view bytes) {
  const auto& c = schema_->columns[column];
  memos_[size_t(c.memoIndex)] = std::string(bytes.substr(0, size_t(c.width)));
}

std::string Record::getText(int column) const {
  switch (schema_->columns[column].type) {
    case ColumnType::Long:
      return std::to_string(getLong(column));
    case ColumnType::String:
      return std::string(getTrimmed(column));
    case ColumnType::Memo:
      return getMemo(column);
  }
  return {};
}

void Record::setText(int column, std::string_view bytes) {
  switch (schema_->columns[column].type) {
    case ColumnType::Long: {
      // Like a numeric entry: leading digits with an optional sign, anything else is 0.
      long long v = 0;
      bool neg = false;
      size_t i = 0;
      while (i < bytes.size() && bytes[i] == ' ') ++i;
      if (i < bytes.size() && (bytes[i] == '-' || bytes[i] == '+')) neg = bytes[i++] == '-';
      for (; i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
        v = v * 10 + (bytes[i] - '0');
        if (v > std::numeric_limits<int32_t>::max()) break;
      }
      v = std::min<long long>(v, std::numeric_limits<int32_t>::max());
      setLong(column, static_cast<int32_t>(neg ? -v : v));
      break;
    }
    case ColumnType::String:
      setString(column, bytes);
      break;
    case ColumnType::Memo:
      setMemo(column, bytes);
      break;
  }
}

void Record::clear() {
  for (size_t i = 0; i < schema_->columns.size(); ++i) setColumnExtreme(int(i), true);
}

void Record::setColumnExtreme(int column, bool low) {
  switch (schema_->columns[column].type) {
    case ColumnType::Long:
      // Clearing zeroes a number; the lowest key value of a LONG is its minimum.
      setLong(column, low ? 0 : std::numeric_limits<int32_t>::max());
      break;
    case ColumnType::String: {
      const auto& c = schema_->columns[column];
      // 0xF7 has the highest key weight of the code page once letters are upper-cased.
      std::memset(fixed_.data() + c.offset, low ? ' ' : '\xF7', size_t(c.width));
      break;
    }
    case ColumnType::Memo:
      memos_[size_t(schema_->columns[column].memoIndex)].clear();
      break;
  }
}

void Record::setKeyExtreme(int key, bool low) {
  for (int col : schema_->keys[key].columns) {
    if (low && schema_->columns[col].type == ColumnType::Long)
      setLong(col, std::numeric_limits<int32_t>::min());
    else
      setColumnExtreme(col, low);
  }
}

}  // namespace ormile::store
