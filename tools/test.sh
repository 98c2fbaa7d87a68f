#!/usr/bin/env bash
# Builds everything and runs every test, as many at once as there are cores: each has its own
# display, sound server and temp folder.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
