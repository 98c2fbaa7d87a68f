#!/usr/bin/env bash
# Builds and runs the tests under AddressSanitizer with UndefinedBehaviorSanitizer (all but the
# slow end-to-end suite and the sound-server tests, which load the engine into an uninstrumented
# Python), then the engine's tests under ThreadSanitizer. Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

suppressions=$PWD/tools/sanitizers
export SDL_AUDIODRIVER=dummy
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$suppressions/tsan.supp"

engine_tests=(vbmp3_core_tests vbmp3_api_tests midi_tests vbmp3_tags_tests soak_tests fault_tests)

asan=${ASAN_BUILD_DIR:-build-asan}
cmake -S . -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTONALISK_SANITIZE=address
cmake --build "$asan"
ctest --test-dir "$asan" --output-on-failure -j2 -LE "e2e|install|sound_server"

# The player's side never runs the engine's threads, so only the engine is built here.
tsan=${TSAN_BUILD_DIR:-build-tsan}
cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTONALISK_SANITIZE=thread
cmake --build "$tsan" --target "${engine_tests[@]}"
for test in "${engine_tests[@]}"; do
  TONALISK_SOAK_OPERATIONS=500 "$tsan/bin/$test"
done
