#!/usr/bin/env bash
# Runs the whole test suite: a release build, then an AddressSanitizer +
# UndefinedBehaviorSanitizer build, then the tests of the code shared between
# threads under ThreadSanitizer, then every fuzz target for a minute. The
# release build is also checked in Ardour's headless session tool.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs="$(nproc)"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
ctest --test-dir build -j"$jobs" --output-on-failure
tests/ardour/check-ardour-session.sh build

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZENTROVA_SANITIZE=address,undefined
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -j"$jobs" --output-on-failure

cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DZENTROVA_SANITIZE=thread
cmake --build build-tsan -j"$jobs" --target zentrova_tests
TSAN_OPTIONS=halt_on_error=1 \
  ctest --test-dir build-tsan -j"$jobs" --output-on-failure \
  -R '^(Deliverables/)?(EventCue|OutgoingMidi|BlockProcessing|ConfigurationLock|StateHandler|HostAndAudioThreads|HarmonicList|PluginChunks|TempoAndSync|DefaultPatchRecord|PatchTree|Programs|ChordMemory|CarelessHost|BlockAllocation)\.'

scripts/fuzz.sh 60
