#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every target at once for a bounded time,
# starting from its seeds in tests/fuzz/corpus/<target>.
#
#   scripts/fuzz.sh [seconds]   run each target for seconds (default 60)
#   scripts/fuzz.sh --seeds     rewrite the seeds from the project's own writers
#
# A target that finds a crash, a leak, undefined behaviour or a failed check
# leaves the input under build-fuzz/artifacts/<target>/; run the target on
# that file to see it again, and add it to the target's corpus once mended.
set -euo pipefail
cd "$(dirname "$0")/.."

# libFuzzer takes a time it cannot read, or 0, as no limit at all.
if [ "${1:-}" != "--seeds" ] && ! [[ "${1:-60}" =~ ^0*[1-9][0-9]*$ ]]; then
  echo "scripts/fuzz.sh: '$1' is not a number of seconds above 0" >&2
  echo "usage: scripts/fuzz.sh [SECONDS] | scripts/fuzz.sh --seeds" >&2
  exit 2
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTROVA_FUZZ=ON \
  -DBUILD_TESTING=OFF > /dev/null
cmake --build build-fuzz -j"$(nproc)" --target zentrova_fuzzers

targets=()
for binary in build-fuzz/fuzz/*Fuzzer; do
  targets+=("$(basename "$binary")")
done

if [ "${1:-}" = "--seeds" ]; then
  for target in "${targets[@]}"; do
    rm -rf "tests/fuzz/corpus/$target"
    ZENTROVA_FUZZ_SEEDS="tests/fuzz/corpus/$target" "build-fuzz/fuzz/$target"
  done
  exit 0
fi

seconds="${1:-60}"
rm -rf build-fuzz/work build-fuzz/artifacts build-fuzz/logs
# The targets' temporary homes, in memory where there is room for them; a
# target that crashes cannot remove its own.
tmp_parent=/tmp
[ -w /dev/shm ] && tmp_parent=/dev/shm
ZENTROVA_FUZZ_TMPDIR="$(mktemp -d "$tmp_parent/zentrova-fuzz-run-XXXXXX")"
export ZENTROVA_FUZZ_TMPDIR
trap 'rm -rf "$ZENTROVA_FUZZ_TMPDIR"' EXIT
declare -A pids
for target in "${targets[@]}"; do
  mkdir -p "build-fuzz/work/$target" "build-fuzz/artifacts/$target" build-fuzz/logs
  # New inputs go to the work folder; the committed seeds stay as they are.
  "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/artifacts/$target/" "build-fuzz/work/$target" "tests/fuzz/corpus/$target" \
    > "build-fuzz/logs/$target.log" 2>&1 &
  pids[$target]=$!
done

passed=0
failed=0
for target in "${targets[@]}"; do
  if wait "${pids[$target]}"; then
    passed=$((passed + 1))
    echo "$target: $(grep -E '^stat::number_of_executed_units' "build-fuzz/logs/$target.log" | awk '{print $2}') runs," \
      "$(grep -oE 'cov: [0-9]+' "build-fuzz/logs/$target.log" | tail -1)"
  else
    failed=$((failed + 1))
    echo "$target FAILED; input kept in build-fuzz/artifacts/$target/:"
    grep -vE '^(#|INFO:|MS:|stat::)' "build-fuzz/logs/$target.log" | tail -40
  fi
done
echo "fuzz targets: $passed clean, $failed failing"
[ "$failed" -eq 0 ]
