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
# Then a picture of the instrument's editor, build/editor.png: the editor
# test host opens the editor and photographs it, on a virtual display when
# there is no display.
printf 'settle\nscreenshot %s/build/editor.png\n' "$PWD" > build/editor-shot.txt
rm -f build/editor.png
editor_shot=(build/zentrova-editor-host build/Zentrova2.vst/Contents/x86_64-linux/Zentrova2.so
  --script build/editor-shot.txt --log build/editor-shot.log)
if [ -z "${DISPLAY:-}" ]; then
  editor_shot=(xvfb-run -a -s "-screen 0 1920x1080x24" "${editor_shot[@]}")
fi
# The host ends in failure when the screenshot could not be written.
if "${editor_shot[@]}" && [ -s build/editor.png ]; then
  echo "Editor screenshot: build/editor.png"
else
  echo "No editor screenshot: see build/editor-shot.log" >&2
  exit 1
fi
