#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite; then the store, table
# and relation tests again under AddressSanitizer + UndefinedBehaviorSanitizer, and the
# sharing tests under ThreadSanitizer. Exit status 0 only when everything passed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

cmake --preset default
cmake --build --preset default
ctest --preset default -j2

if [ "${ORMILE_SKIP_SANITIZERS:-0}" != "1" ]; then
  cmake --preset asan
  cmake --build --preset asan
  ctest --preset asan -j2

  cmake --preset tsan
  cmake --build --preset tsan
  ctest --preset tsan -j2
fi
