#!/usr/bin/env bash
# Installs the dependencies, builds the plug-ins and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
# The main job: the built-in phrase played through the instrument plug-in by
# the command-line host, written to build/phrase.wav.
build/zentrova-host build/Zentrova2.vst/Contents/x86_64-linux/Zentrova2.so --phrase --out build/phrase.wav
