#!/usr/bin/env bash
# Shared by ./run and ./test: installs what is missing (Debian packages),
# then configures once and builds what changed. BRINDLEWICK_BUILD_DIR picks
# another build folder, BRINDLEWICK_CMAKE_ARGS adds options to its first
# configure.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRINDLEWICK_BUILD_DIR:-$root/build}"

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-serialport-dev
  fonts-liberation fonts-dejavu-core
  libbenchmark-dev
  clang libclang-rt-dev
)

if command -v dpkg-query >/dev/null 2>&1; then
  missing=()
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=()
    if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
    export DEBIAN_FRONTEND=noninteractive
    # A fresh machine may have no package lists yet, or stale ones.
    "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}" ||
      { "${sudo[@]}" apt-get update && "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; }
  fi
else
  echo "Not a Debian system: install ${packages[*]} (or their equivalents) yourself." >&2
fi

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja ${BRINDLEWICK_CMAKE_ARGS:-}
fi
cmake --build "$build"
