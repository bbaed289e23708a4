// The error codes of the record store. Every operation leaves one (0 = none) that the
// caller reads back; "not available" and "not found" are answers, not failures of the store.
#pragma once

#include <string>

namespace ormile::store {

enum class ErrorCode : int {
  None = 0,
  FileNotFound = 2,
  AccessDenied = 5,         // locked by another user, refused write access, read-only file
  RecordNotAvailable = 33,  // past the end of the order, or no current record
  RecordNotFound = 35,
  FileNotOpen = 37,
  DuplicateKey = 40,
  KeyMustBeRebuilt = 46,
  InvalidDataFile = 47,  // not a database of this store, or a different record layout
  RecordChanged = 89,
  StoreFailure = 90,  // any other failure of the engine; the text says which
};

// The store's text for a code, as messages show it in "%ErrorText".
std::string errorText(ErrorCode code);

inline bool ok(ErrorCode c) {
  return c == ErrorCode::None;
}

}  // namespace ormile::store
