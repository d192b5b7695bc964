#!/usr/bin/env bash
# Installs the dependencies, builds the plug-ins and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
# Until the plug-in renders, the main job is the smoke check of the build.
ctest --test-dir build -L smoke --output-on-failure
