#!/usr/bin/env bash
# Builds the engine's fuzzer with clang and runs it for SECONDS (default 60), starting from a
# seed of short generated tracks and MIDI files, the inputs kept from earlier findings and what
# earlier runs here added to the corpus; each decoder (libmpg123, libsndfile, FFmpeg's module,
# the MIDI parser) gets seeds of its own kind. A finding fails the run and leaves its input in
# fuzz-artifacts/ under the build folder. --build-only builds the fuzzer and its seed writers and
# runs nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-build-fuzz}
jobs=${FUZZ_BUILD_JOBS:-2}

# Optimized, with line tables only, like the sanitizers' builds.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTONALISK_FUZZ=ON
cmake --build "$build" -j "$jobs" --target engine_fuzzer make_fixtures make_midi_seeds
[ "$seconds" = --build-only ] && exit 0

# Seeds and the fuzzer's own scratch files in one folder that goes at the end, also when a
# finding aborted the fuzzer before it could clean up.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seeds=$work/seeds
mkdir "$seeds"
"$build/bin/make_fixtures" "$seeds" 0.25
"$build/bin/make_midi_seeds" "$seeds"
# Files as real collections hold them, for the MP3, WAV and WMA decoders' header checks: cut
# downloads under headers that claim the whole, and legacy tags.
"$build/bin/make_fixtures" --real-world "$seeds/real_world"

corpus=$build/fuzz-corpus
artifacts=$build/fuzz-artifacts
mkdir -p "$corpus" "$artifacts"
TMPDIR=$work "$build/bin/engine_fuzzer" "$corpus" "$seeds" tests/vbmp3/core/regressions \
  -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$artifacts/"
