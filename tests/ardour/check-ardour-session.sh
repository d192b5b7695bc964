#!/usr/bin/env bash
# The plug-ins in a real host: Ardour's headless session tool (Debian package
# "ardour") with the dummy audio backend loads each deliverable from a
# folder on LXVST_PATH into a session of its own, plays a phrase into it on a
# MIDI track, exports the session, saves it with the plug-in's chunk, loads
# it again and exports once more: every render must sound, and each reloaded
# render must match the first. The engine runs in real time before an
# export starts, so free-running modulation starts elsewhere each time: the
# renders are compared by their level over time, not sample by sample,
# within 20 % of the loudest (they differ by up to 8 %); a reload that lost
# the chunk plays at the default volume, 25 dB louder.
#
#   tests/ardour/check-ardour-session.sh [folder]
#
# The folder holds the two bundles: a build folder (default: build) or the
# lib/vst folder of an install.
#
# Skips, successfully, where ardour7-lua is not installed.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../../build}" && pwd)"

if ! command -v ardour7-lua > /dev/null; then
  echo "ardour session check skipped: ardour7-lua is not installed (Debian package ardour)"
  exit 0
fi

work="$(mktemp -d /tmp/zentrova-ardour-XXXXXX)"
trap 'rm -rf "$work"' EXIT
# Ardour and the plug-ins keep their settings in a home of their own.
export HOME="$work/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache" XDG_DATA_HOME="$HOME/.local/share"
export XDG_DATA_DIRS="$HOME/share" XDG_CONFIG_DIRS="$HOME/etc"
mkdir -p "$XDG_CONFIG_HOME/ardour7/scripts" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_DATA_DIRS" "$XDG_CONFIG_DIRS"
cp "$here/zentrova_test_notes.lua" "$XDG_CONFIG_HOME/ardour7/scripts/"

export LXVST_PATH="$work/vst"
mkdir -p "$LXVST_PATH"
cp -r "$build/Zentrova2.vst" "$build/Zentrova2FX.vst" "$LXVST_PATH/"
# The session tool lists only plug-ins that the scanner has indexed, and
# takes an index for out of date unless it is newer than the library.
for plugin in "$LXVST_PATH"/*.vst/Contents/x86_64-linux/*.so; do
  touch -d '-1 minute' "$plugin"
  LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -q -f "$plugin"
done

export ZENTROVA_ARDOUR_DIR="$work"
run() {
  # Ardour's chatter goes to a log shown only when the step fails. Ardour
  # 7.3's session tool itself now and then crashes when it lets go of an
  # export (with its own plug-ins too): a step counts once its script has
  # said it is done, which it says only after its export and save, and a
  # step that crashed before that without an error of its script is tried
  # again from a clean start, up to three times.
  local script="$1" clean="$2"
  local log="$work/$ZENTROVA_ARDOUR_PLUGIN-$(basename "$script").log"
  for attempt in 1 2 3; do
    eval "$clean"
    timeout 300 ardour7-lua "$script" > "$log" 2>&1 || true
    if grep -q "^zentrova: done" "$log" && ! grep -q "^Error:" "$log"; then
      return 0
    fi
    if grep -q "^Error:" "$log"; then
      break
    fi
    echo "ardour crashed in $(basename "$script") (attempt $attempt); its last lines:"
    tail -n 3 "$log"
  done
  cat "$log"
  echo "ardour session check FAILED in $(basename "$script")"
  exit 1
}
for ZENTROVA_ARDOUR_PLUGIN in Zentrova2 Zentrova2FX; do
  export ZENTROVA_ARDOUR_PLUGIN
  run "$here/build-session.lua" 'rm -rf "$work/$ZENTROVA_ARDOUR_PLUGIN"'
  grep -q '<chunk' "$work/$ZENTROVA_ARDOUR_PLUGIN/$ZENTROVA_ARDOUR_PLUGIN.ardour" ||
    { echo "the $ZENTROVA_ARDOUR_PLUGIN session holds no plug-in chunk"; exit 1; }
  run "$here/reload-session.lua" 'rm -f "$work/$ZENTROVA_ARDOUR_PLUGIN"/reloaded*.wav'
done

python3 - "$work" << 'PYTHON'
import math, struct, sys, wave

def samples(path):
    with wave.open(path) as w:
        width, count = w.getsampwidth(), w.getnframes() * w.getnchannels()
        data = w.readframes(w.getnframes())
    if width == 2:
        return [v / 32768.0 for v in struct.unpack("<%dh" % count, data)]
    if width == 3:
        return [int.from_bytes(data[i:i + 3], "little", signed=True) / 8388608.0 for i in range(0, len(data), 3)]
    return list(struct.unpack("<%df" % count, data))

# RMS of each 50 ms of the interleaved stereo signal.
def levels(x, window=2 * 2400):
    return [math.sqrt(sum(v * v for v in x[i:i + window]) / window) for i in range(0, len(x) - window + 1, window)]

failed = False
for name in ("Zentrova2", "Zentrova2FX"):
    built = samples(f"{sys.argv[1]}/{name}/built.wav")
    reloaded = samples(f"{sys.argv[1]}/{name}/reloaded.wav")
    peak = max(abs(v) for v in built)
    a, b = levels(built), levels(reloaded)
    difference = max(abs(p - q) for p, q in zip(a, b)) / max(a) if len(a) == len(b) and max(a) > 0 else 1.0
    print(f"{name}: peak {peak:.4f}, levels of the reloaded render within {100 * difference:.1f}% of the loudest")
    if peak < 0.002:
        print(f"{name}: the render is silent")
        failed = True
    if difference > 0.2:
        print(f"{name}: the reloaded session renders other audio")
        failed = True
sys.exit(1 if failed else 0)
PYTHON
echo "ardour session check passed"
