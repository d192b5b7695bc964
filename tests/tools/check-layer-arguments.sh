#!/usr/bin/env bash
# scripts/check-layers.py refuses what it cannot check (a folder that is not
# there, one without sources, an unknown option) instead of passing on it.
#
#   tests/tools/check-layer-arguments.sh SOURCE_FOLDER
set -u
root="$1"
empty="$(mktemp -d)"
trap 'rm -rf "$empty"' EXIT
failed=0
check() {
  local expected="$1"
  shift
  output="$(python3 "$root/scripts/check-layers.py" "$@" 2>&1)"
  code=$?
  if [ "$code" -eq 0 ] || [[ "$output" == *passed* ]] || [[ "$output" != *"$expected"* ]]; then
    echo "scripts/check-layers.py $*: exit $code, said: $output"
    failed=1
  fi
}
check "/nonexistent is not a folder" /nonexistent
check "--frobnicate: no such option" --frobnicate
check "--frobnicate: no such option" --self-check --frobnicate
check "no source file under $empty" "$empty"
exit "$failed"
