#pragma once
// A recursive lock (the same thread may take it again) and its scoped holder.

#include <mutex>

#include "platform/win/WinTypes.h"

namespace orv::win {

class CCriticalSection {
 public:
  CCriticalSection() = default;
  CCriticalSection(const CCriticalSection&) = delete;
  CCriticalSection& operator=(const CCriticalSection&) = delete;

  void Lock() { mutex_.lock(); }
  bool TryLock() { return mutex_.try_lock(); }
  void Unlock() { mutex_.unlock(); }

 private:
  std::recursive_mutex mutex_;
};

// Holds a critical section for its lifetime when locked: constructed with `initialLock` TRUE
// it locks at once; the destructor releases a lock it still holds. A null section is ignored.
class CSingleLock {
 public:
  explicit CSingleLock(CCriticalSection* section, BOOL initialLock = FALSE) : section_(section) {
    if (initialLock) Lock();
  }
  ~CSingleLock() { Unlock(); }
  CSingleLock(const CSingleLock&) = delete;
  CSingleLock& operator=(const CSingleLock&) = delete;

  void Lock() {
    if (section_ && !locked_) {
      section_->Lock();
      locked_ = true;
    }
  }
  void Unlock() {
    if (section_ && locked_) {
      locked_ = false;
      section_->Unlock();
    }
  }
  bool IsLocked() const { return locked_; }

 private:
  CCriticalSection* section_;
  bool locked_ = false;
};

}  // namespace orv::win
