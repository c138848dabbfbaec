#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
top="$(cd "$(dirname "$0")/../.." && pwd)"
build="${JACKETEER_BUILD_DIR:-$top/build}"
bash "$top/tools/scripts/install-deps.sh"
bash "$top/tools/scripts/build.sh"
# Window tests run without a display; Chromium's sandbox cannot start as root.
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
# Each test's time-out is set where it is registered (tests/CMakeLists.txt).
ctest --test-dir "$build" --output-on-failure
