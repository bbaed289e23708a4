// Procedure threads: every window started from the frame runs on an OS thread of its own.
// Thread-safe.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>

namespace ormile::platform {

// The least stack a procedure thread gets. Our code and the engine need far more than the
// 25 000 bytes a window asks for; a smaller request is raised to this.
constexpr size_t kMinimumStackBytes = size_t(8) << 20;

// Starts `procedure` on a new thread with at least `stackBytes` of stack and returns at once.
// Returns false when the system refused the thread.
bool startProcedure(std::function<void()> procedure, size_t stackBytes);

// Procedure threads still running.
int runningProcedures();
// Waits until every procedure thread has ended, at most `timeout`; true when all ended.
bool waitForProcedures(std::chrono::milliseconds timeout);

}  // namespace ormile::platform
