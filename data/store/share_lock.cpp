#include "data/store/share_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace ormile::store {
namespace {

// Lock bytes, 1 TiB into the file: far from data and from the engine's lock page.
constexpr long long kBase = 1LL << 40;
constexpr long long kWriteAccess = kBase + 0;
constexpr long long kAnyAccess = kBase + 1;
constexpr long long kDenyWrite = kBase + 2;
constexpr long long kDenyAll = kBase + 3;
constexpr long long kGuard = kBase + 4;

struct flock byteLock(short type, long long byte) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = byte;
  fl.l_len = 1;
  fl.l_pid = 0;  // required for open-file-description locks
  return fl;
}

}  // namespace

ShareLock::~ShareLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool ShareLock::ensureFd() {
  if (fd_ >= 0) return true;
  fd_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
  writable_ = fd_ >= 0;
  if (fd_ < 0) fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  return fd_ >= 0;
}

bool ShareLock::lockGuard() {
  // Without write access to the file nobody but a privileged user can open it for writing,
  // so the open protocol needs no mutual exclusion there.
  if (!writable_) return true;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (;;) {
    struct flock fl = byteLock(F_WRLCK, kGuard);
    if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void ShareLock::unlockGuard() {
  if (!writable_) return;
  struct flock fl = byteLock(F_UNLCK, kGuard);
  ::fcntl(fd_, F_OFD_SETLK, &fl);
}

bool ShareLock::othersHold(long long byte) const {
  struct flock fl = byteLock(F_WRLCK, byte);
  if (::fcntl(fd_, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

void ShareLock::setByte(long long byte, bool on) {
  struct flock fl = byteLock(on ? F_RDLCK : F_UNLCK, byte);
  ::fcntl(fd_, F_OFD_SETLK, &fl);
}

ErrorCode ShareLock::acquire(bool write, Share share) {
  if (!ensureFd()) return ErrorCode::FileNotFound;
  if (!lockGuard()) return ErrorCode::AccessDenied;
  bool conflict = othersHold(kDenyAll) || (write && othersHold(kDenyWrite)) ||
                  (share != Share::DenyNone && othersHold(kWriteAccess)) ||
                  (share == Share::DenyAll && othersHold(kAnyAccess));
  if (!conflict) {
    if (opens_++ == 0) setByte(kAnyAccess, true);
    if (write && writers_++ == 0) setByte(kWriteAccess, true);
    if (share != Share::DenyNone && denyWrite_++ == 0) setByte(kDenyWrite, true);
    if (share == Share::DenyAll && denyAll_++ == 0) setByte(kDenyAll, true);
  }
  unlockGuard();
  return conflict ? ErrorCode::AccessDenied : ErrorCode::None;
}

void ShareLock::release(bool write, Share share) {
  if (fd_ < 0 || opens_ == 0) return;
  if (share == Share::DenyAll && --denyAll_ == 0) setByte(kDenyAll, false);
  if (share != Share::DenyNone && --denyWrite_ == 0) setByte(kDenyWrite, false);
  if (write && --writers_ == 0) setByte(kWriteAccess, false);
  if (--opens_ == 0) setByte(kAnyAccess, false);
}

}  // namespace ormile::store
