#!/usr/bin/env bash
# Builds and runs the tests under AddressSanitizer with UndefinedBehaviorSanitizer (all but the
# slow end-to-end suite and the sound-server tests, which load the engine into an uninstrumented
# Python), then the engine's tests under ThreadSanitizer. Any finding fails the run.
# --build-only builds and runs nothing; --test-only runs what an earlier --build-only built.
set -euo pipefail
cd "$(dirname "$0")/.."

step=${1:-}
case "$step" in
"" | --build-only | --test-only) ;;
*)
  echo "usage: $0 [--build-only | --test-only]" >&2
  exit 2
  ;;
esac

suppressions=$PWD/tools/sanitizers
export SDL_AUDIODRIVER=dummy
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$suppressions/tsan.supp"

engine_tests=(vbmp3_core_tests vbmp3_decoders_tests vbmp3_outputs_tests vbmp3_api_tests midi_tests
  vbmp3_tags_tests soak_tests fault_tests)
asan=${ASAN_BUILD_DIR:-build-asan}
tsan=${TSAN_BUILD_DIR:-build-tsan}

# Optimized, with line tables only: the tests run faster, and the objects are a fraction of the
# size, which the reports need no more than file and line from.
build() {
  local dir=$1 sanitizer=$2
  shift 2
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTONALISK_SANITIZE="$sanitizer" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
  cmake --build "$dir" --target "$@"
}

if [ "$step" != --test-only ]; then
  build "$asan" address test_programs
  # The player's side never runs the engine's threads, so only the engine is built here.
  build "$tsan" thread "${engine_tests[@]}"
fi
[ "$step" = --build-only ] && exit 0

# Nor the stalled-file test, which preloads its shim ahead of the sanitizer's runtime.
ctest --test-dir "$asan" --output-on-failure -j2 -LE "e2e|install|sound_server" -E "^player_stalled_file$"
for test in "${engine_tests[@]}"; do
  TONALISK_SOAK_OPERATIONS=500 "$tsan/bin/$test"
done
