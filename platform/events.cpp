#include "platform/events.h"

namespace ormile::platform {

void EventQueue::post(Event e) {
  {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(e));
  }
  ready_.notify_one();
}

Event EventQueue::take() {
  std::unique_lock lock(mutex_);
  ready_.wait(lock, [&] { return !events_.empty(); });
  Event e = std::move(events_.front());
  events_.pop_front();
  return e;
}

std::optional<Event> EventQueue::take(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (!ready_.wait_for(lock, timeout, [&] { return !events_.empty(); })) return std::nullopt;
  Event e = std::move(events_.front());
  events_.pop_front();
  return e;
}

bool EventQueue::empty() const {
  std::lock_guard lock(mutex_);
  return events_.empty();
}

}  // namespace ormile::platform
