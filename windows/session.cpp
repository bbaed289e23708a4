#include "windows/session.h"

namespace ormile::windows {
namespace {
thread_local Session* tCurrent = nullptr;
}

Session::Session(const Services& services)
    : services_(services), data_(services.directory, *services.messages) {
  tCurrent = this;
}

Session::~Session() {
  if (tCurrent == this) tCurrent = nullptr;
}

Session* Session::current() {
  return tCurrent;
}

base::Answer ScreenAnswerer::ask(const base::ShownMessage& message) {
  Session* s = Session::current();
  return screen_.ask(s ? s->topWindow() : 0, message);
}

}  // namespace ormile::windows
