// Helpers of the Qt tests: waiting for events while the GUI thread serves the display, and
// finding widgets. GUI thread only.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <chrono>
#include <optional>

#include "platform/events.h"
#include "platform/qt/qt_screen.h"

namespace ormile::platform::testing {

// Long enough for a loaded machine; a bound, not a measurement.
constexpr std::chrono::seconds kPatience{20};

// Serves the display until `queue` has an event and returns it; nullopt when none came.
inline std::optional<Event> nextEvent(QtScreen& screen, EventQueue& queue) {
  if (!screen.serveUntil([&] { return !queue.empty(); }, kPatience)) return std::nullopt;
  return queue.take();
}

// The next event of `kind`, skipping others (focus and placement reports come and go).
inline std::optional<Event> nextOf(QtScreen& screen, EventQueue& queue, EventKind kind) {
  for (;;) {
    auto e = nextEvent(screen, queue);
    if (!e || e->kind == kind) return e;
  }
}

// Events that are not about focus or placement, which the display reports on its own.
inline std::optional<Event> nextInput(QtScreen& screen, EventQueue& queue) {
  for (;;) {
    auto e = nextEvent(screen, queue);
    if (!e) return e;
    if (e->kind != EventKind::Placement && e->kind != EventKind::GainedFocus &&
        e->kind != EventKind::LostFocus)
      return e;
  }
}

// Drops what the display reported so far.
inline void drain(QtScreen& screen, EventQueue& queue) {
  screen.serveUntil([] { return false; }, std::chrono::milliseconds(30));
  while (!queue.empty()) queue.take();
}

// The visible message box, once it is up; null when none came.
inline QMessageBox* waitForBox(QtScreen& screen) {
  QMessageBox* found = nullptr;
  screen.serveUntil(
      [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
          if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) found = b;
        return found != nullptr;
      },
      kPatience);
  return found;
}

}  // namespace ormile::platform::testing
