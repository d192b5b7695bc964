#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with.
# Idempotent: does nothing when every package is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git python3
  libtinyxml-dev zlib1g-dev libboost-dev libboost-filesystem-dev libboost-system-dev
  libloki-dev uuid-dev libgtest-dev googletest
  libsndfile1-dev libbenchmark-dev
  amsynth
  libx11-dev libxext-dev libcairo2-dev libfontconfig-dev libxtst-dev libxrandr-dev libxfixes-dev xvfb xauth fonts-liberation2
  clang libclang-rt-14-dev
  ardour
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" != 0 ]; then sudo="sudo"; fi
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
