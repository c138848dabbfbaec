#!/usr/bin/env bash
# Configures and builds Jacketeer into build/ (or $JACKETEER_BUILD_DIR).
set -euo pipefail
top="$(cd "$(dirname "$0")/../.." && pwd)"
build="${JACKETEER_BUILD_DIR:-$top/build}"
# Configure quietly; its notices, such as an optional part left out and why,
# go to stderr and stay visible.
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" "$@"
