#!/usr/bin/env bash
# `cmake --install` puts both bundles whole under <prefix>/lib/vst, where a
# host loads them: the library in Contents/x86_64-linux and every image of
# the build in Contents/Resources, which the editor opened from there finds.
#
#   tests/tools/check-install.sh BUILD_FOLDER      (with an X display)
set -u
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
if ! output="$(cmake --install "$build" --prefix "$prefix" 2>&1)"; then
  echo "cmake --install failed: $output"
  exit 1
fi
failed=0
for name in Zentrova2 Zentrova2FX; do
  bundle="$prefix/lib/vst/$name.vst"
  library="$bundle/Contents/x86_64-linux/$name.so"
  if ! diff <(cd "$build/$name.vst/Contents/Resources" && ls) <(cd "$bundle/Contents/Resources" 2>/dev/null && ls) \
      > /dev/null; then
    echo "$bundle/Contents/Resources does not hold the build's images"
    failed=1
  fi
  export HOME="$prefix/home" XDG_CONFIG_HOME="$prefix/home/.config" XDG_DATA_HOME="$prefix/home/.local/share"
  if ! said="$("$build/zentrova-host" "$library" --no-render 2>&1)" || [[ "$said" != *"\"$name\" by \"Vorlix\""* ]]
  then
    echo "the installed $library does not load: $said"
    failed=1
  fi
  printf 'wait 500\nscreenshot %s\n' "$prefix/$name.png" > "$prefix/script.txt"
  if ! said="$("$build/zentrova-editor-host" "$library" --script "$prefix/script.txt" --seconds 30 2>&1)" ||
      [[ "$said" == *"no images"* ]] || [ ! -s "$prefix/$name.png" ]; then
    echo "the installed $library opens no editor drawn from its images: $said"
    failed=1
  fi
done
exit "$failed"
