#!/usr/bin/env bash
# Runs the whole test suite: the layer check, a release build, then an
# AddressSanitizer + UndefinedBehaviorSanitizer build, then the tests of the code
# shared between threads (label "threads") under ThreadSanitizer, then every
# fuzz target for a minute. The release build is also installed into a
# temporary folder and checked from there in Ardour's headless session tool.
# The window tests (label "window") run on a virtual X server of their own.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-layers.py --self-check
scripts/check-layers.py
jobs="$(nproc)"
# The window tests expect one 1920 by 1080 monitor.
xvfb_screen="-screen 0 1920x1080x24"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
ctest --test-dir build -j"$jobs" --output-on-failure -LE window
xvfb-run -a -s "$xvfb_screen" ctest --test-dir build --output-on-failure -L window
# Ardour loads the bundles as cmake --install lays them out.
installed="$(mktemp -d)"
cmake --install build --prefix "$installed" > /dev/null
tests/ardour/check-ardour-session.sh "$installed/lib/vst"
rm -rf "$installed"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZENTROVA_SANITIZE=address,undefined
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -j"$jobs" --output-on-failure -LE window
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  xvfb-run -a -s "$xvfb_screen" ctest --test-dir build-asan --output-on-failure -L window

cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DZENTROVA_SANITIZE=thread
cmake --build build-tsan -j"$jobs" --target zentrova_tests
TSAN_OPTIONS=halt_on_error=1 \
  ctest --test-dir build-tsan -j"$jobs" --output-on-failure -L threads

scripts/fuzz.sh 60
