#!/usr/bin/env bash
# scripts/fuzz.sh refuses a time that libFuzzer would take as no limit, with
# a message, before it builds anything: a stand-in cmake first on the PATH
# tells when the script went on towards a fuzz run.
#
#   tests/tools/check-fuzz-arguments.sh SOURCE_FOLDER
set -u
root="$1"
stand_in="$(mktemp -d)"
trap 'rm -rf "$stand_in"' EXIT
printf '#!/bin/sh\necho "cmake reached" >&2\nexit 99\n' > "$stand_in/cmake"
chmod +x "$stand_in/cmake"
failed=0
for value in abc 0 1.5; do
  output="$(PATH="$stand_in:$PATH" "$root/scripts/fuzz.sh" "$value" 2>&1)"
  code=$?
  if [ "$code" -eq 0 ] || [ "$code" -eq 99 ] || [[ "$output" != *"'$value' is not a number of seconds above 0"* ]]; then
    echo "scripts/fuzz.sh $value: exit $code, said: $output"
    failed=1
  fi
done
exit "$failed"
