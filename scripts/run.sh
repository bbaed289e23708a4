#!/usr/bin/env bash
# Installs what is missing, builds, and starts Ormile on a data directory. Without an
# argument the directory is demo-data/, which is filled on first use with the sample grammar
# (samples/calc.bnf) and its derived elements and structure rows.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

scripts/setup.sh
cmake --preset default
cmake --build --preset default --target ormile ormile-tool

data="${1:-$top/demo-data}"
mkdir -p "$data"
cd "$data"
if [ ! -e X.tps ]; then
  "$top/build/tools/ormile-tool" import "$top/samples/calc.bnf" --part-name "Desk calculator" \
    --ansi-number "CALC-1" --iso-number "CALC/1" --ratified 2026-12-11
  "$top/build/tools/ormile-tool" elements 1 2>/dev/null
  "$top/build/tools/ormile-tool" structure 1
fi
exec "$top/build/app/ormile"
