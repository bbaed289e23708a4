#include "data/store/errors.h"

namespace ormile::store {

std::string errorText(ErrorCode code) {
  switch (code) {
    case ErrorCode::None:
      return "No error";
    case ErrorCode::FileNotFound:
      return "File Not Found";
    case ErrorCode::AccessDenied:
      return "Access Denied";
    case ErrorCode::RecordNotAvailable:
      return "Record Not Available";
    case ErrorCode::RecordNotFound:
      return "Record Not Found";
    case ErrorCode::FileNotOpen:
      return "File Not Open";
    case ErrorCode::DuplicateKey:
      return "Creates Duplicate Key";
    case ErrorCode::KeyMustBeRebuilt:
      return "Key Must Be Rebuilt";
    case ErrorCode::InvalidDataFile:
      return "Invalid Data File";
    case ErrorCode::RecordChanged:
      return "Record Changed By Another User";
    case ErrorCode::StoreFailure:
      return "Store Failure";
  }
  return "Unknown Error";
}

}  // namespace ormile::store
