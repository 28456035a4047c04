#!/usr/bin/env bash
# Builds the picture decoders' libFuzzer targets with clang (everything
# instrumented, address and undefined-behaviour sanitizers on), makes seed
# corpora with the test suite's picture generators, and runs each target for
# a bounded time.
#
#   scripts/fuzz.sh [seconds per target (default 60)] [build dir (default build-fuzz)]
#
# The seeds come from test_codecs of the normal build (QUILLET_SEED_TESTS
# names another one); it is built there first if missing.
#
# Crashes are written as crash-* files into $dir/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=${2:-build-fuzz}
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer"

if [ ! -f "$dir/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLET_BUILD_FUZZ=ON -DQUILLET_BUILD_BENCH=OFF -DQUILLET_BUILD_TESTS=OFF \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
fi
targets=(${QUILLET_FUZZ_TARGETS:-decode_jpeg decode_png decode_gif decode_bmp decode_heif decode_webp decode_tiff decode_any decode_profile})
cmake --build "$dir" --target "${targets[@]/#/fuzz_}"

seed_tests=${QUILLET_SEED_TESTS:-build/tests/test_codecs}
if [ ! -x "$seed_tests" ]; then
  scripts/setup-deps.sh
  [ -f build/build.ninja ] || cmake -S . -B build -G Ninja >/dev/null
  cmake --build build --target test_codecs
  seed_tests=build/tests/test_codecs
fi
seeds="$dir/seeds"
rm -rf "$seeds"
QT_QPA_PLATFORM=offscreen QUILLET_FUZZ_SEED_DIR="$PWD/$seeds" "$seed_tests" --gtest_filter='DecoderSeeds.*' >/dev/null

status=0
for target in "${targets[@]}"; do
  corpus="$dir/corpus/$target"
  findings="$dir/findings/$target"
  mkdir -p "$corpus" "$findings"
  seed="$seeds/${target#decode_}"
  echo "== $target: ${seconds}s =="
  # Qt keeps a few allocations for the process's lifetime; leaks are the
  # test suite's business, crashes and undefined behaviour are ours here.
  if ! QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
      "$dir/fuzz/fuzz_$target" "$corpus" "$seed" -max_total_time="$seconds" -timeout=20 \
      -rss_limit_mb=3072 -max_len=200000 -artifact_prefix="$findings/" -print_final_stats=1 2>"$dir/$target.log"; then
    echo "$target: FAILED (see $dir/$target.log and $findings)"
    status=1
  else
    grep -E "stat::number_of_executed_units|cov:" "$dir/$target.log" | tail -2
  fi
done
exit $status
