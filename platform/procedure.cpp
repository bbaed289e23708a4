#include "platform/procedure.h"

#include <pthread.h>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace ormile::platform {
namespace {

std::mutex gMutex;
std::condition_variable gEnded;
int gRunning = 0;  // guarded by gMutex

void* run(void* arg) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(arg));
  (*body)();
  body.reset();
  // Notified under the lock: once the count reaches 0 the program may end, and the condition
  // variable with it, so no thread may still be inside notify after it let go of the lock.
  std::lock_guard lock(gMutex);
  --gRunning;
  gEnded.notify_all();
  return nullptr;
}

}  // namespace

bool startProcedure(std::function<void()> procedure, size_t stackBytes) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, stackBytes < kMinimumStackBytes ? kMinimumStackBytes : stackBytes);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  auto* body = new std::function<void()>(std::move(procedure));
  {
    std::lock_guard lock(gMutex);
    ++gRunning;
  }
  pthread_t thread;
  int rc = pthread_create(&thread, &attr, run, body);
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    delete body;
    std::lock_guard lock(gMutex);
    --gRunning;
    return false;
  }
  return true;
}

int runningProcedures() {
  std::lock_guard lock(gMutex);
  return gRunning;
}

bool waitForProcedures(std::chrono::milliseconds timeout) {
  std::unique_lock lock(gMutex);
  return gEnded.wait_for(lock, timeout, [] { return gRunning == 0; });
}

}  // namespace ormile::platform
