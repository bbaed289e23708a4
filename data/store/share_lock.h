// Share modes of table opens (deny none, deny write, deny all) between sessions: threads of
// this program and other programs. Each session holds one ShareLock per file; the opens of
// all its handles on that file add up in it, so a session never locks itself out (its
// aliases stay open while one handle opens the table for exclusive use).
//
// The modes are open-file-description byte locks on a region of the table file far beyond
// any data and beyond the engine's own lock bytes. The kernel drops them when the holder
// ends, so no lock outlives a crashed program. Procedure thread only (one per session).
#pragma once

#include <string>

#include "data/store/errors.h"

namespace ormile::store {

enum class Share { DenyNone, DenyWrite, DenyAll };

class ShareLock {
 public:
  explicit ShareLock(std::string path) : path_(std::move(path)) {}
  ~ShareLock();
  ShareLock(const ShareLock&) = delete;
  ShareLock& operator=(const ShareLock&) = delete;

  // Adds an open with the given access and share mode. AccessDenied when another session's
  // open conflicts with it (it denies what this one wants, or holds what this one denies).
  ErrorCode acquire(bool write, Share share);
  void release(bool write, Share share);
  bool heldByThisSession() const { return opens_ > 0; }

 private:
  bool ensureFd();
  bool lockGuard();
  void unlockGuard();
  bool othersHold(long long byte) const;
  void setByte(long long byte, bool on);

  std::string path_;
  int fd_ = -1;
  bool writable_ = false;
  int opens_ = 0, writers_ = 0, denyWrite_ = 0, denyAll_ = 0;
};

}  // namespace ormile::store
