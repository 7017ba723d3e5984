#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers
#
# Shared by ./run and ./test: installs the Debian packages that are missing,
# then configures once and builds what changed.
#   tools/setup.sh          what building and running need
#   tools/setup.sh --test   that and what testing needs
#   tools/setup.sh --windows  only the packages that building, packaging and
#                           testing the Windows release need (tools/windows.sh)
# BRINDLEWICK_BUILD_DIR picks another build folder, BRINDLEWICK_CMAKE_ARGS
# adds options to its first configure.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRINDLEWICK_BUILD_DIR:-$root/build}"

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-serialport-dev
  fonts-liberation fonts-dejavu-core
)
testing=0
if [ "${1:-}" = "--windows" ]; then
  packages=(
    cmake ninja-build xz-utils zip curl dpkg-dev patch  # dpkg-dev, curl, patch: Qt from source
    qt6-base-dev qt6-base-dev-tools  # Qt's host tools (moc, rcc, uic) for the cross-build
    g++-mingw-w64-x86-64-posix
    nsis                             # the installer
    wine64 fonts-liberation          # the tests under Wine
  )
elif [ "${1:-}" = "--test" ]; then
  testing=1
  packages+=(
    libbenchmark-dev      # benchmarks
    clang libclang-rt-dev # fuzzing
    clang-format          # the formatting check
    dpkg-dev file lintian appstream desktop-file-utils  # the package checks (cpack -G DEB needs file)
  )
fi

# Stops with one message: what is missing and how to install it by hand.
cannot_install() {
  local why="$1"
  {
    echo
    echo "Brindlewick needs these Debian packages, which are not installed:"
    echo "  ${missing[*]}"
    echo "They could not be installed: $why."
    echo "As root (su -), run this, then run this command again:"
    echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}"
  } >&2
  exit 1
}

# apt's first error line in a log, or its last line.
first_problem() {
  grep -m1 -E '^(Err:[0-9]+|E:|W:) ' "$1" || tail -n 1 "$1"
}

install_missing() {
  local as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || cannot_install "sudo is not available and you are not root"
    # A password can be typed only at a terminal.
    if [ -t 0 ]; then as_root=(sudo); else as_root=(sudo -n); fi
    "${as_root[@]}" true 2>/dev/null || cannot_install "sudo did not let you run commands as root"
  fi
  export DEBIAN_FRONTEND=noninteractive
  local log
  log="$(mktemp)"
  # Package lists that are missing or older than a day would make apt report
  # packages it cannot find; refresh them first, quietly. A refresh that
  # finds nothing new leaves the lists' dates alone but touches partial/.
  local lists=/var/lib/apt/lists
  if ! compgen -G "$lists/*_Packages*" >/dev/null ||
    [ -z "$(find "$lists" "$lists/partial" -maxdepth 1 -mmin -1440 \( -name '*_Packages*' -o -name partial \) 2>/dev/null)" ]; then
    echo "Refreshing the package lists…"
    "${as_root[@]}" apt-get update -qq >"$log" 2>&1 ||
      cannot_install "the package lists could not be fetched ($(first_problem "$log"))"
    # apt-get update succeeds when it fetched nothing (an unreachable
    # mirror is a warning to it): keep what it said for a failed install.
    fetch_problem="$(grep -m1 -E '^(Err:[0-9]+|W:|E:) .*(fetch|resolv|connect|Could not)' "$log" || true)"
  fi
  echo "Installing: ${missing[*]}"
  if ! "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >"$log" 2>&1; then
    [ -z "${fetch_problem:-}" ] || cannot_install "the package lists could not be fetched ($fetch_problem)"
    cannot_install "apt-get failed ($(first_problem "$log"))"
  fi
  rm -f "$log"
}

if command -v dpkg-query >/dev/null 2>&1; then
  missing=()
  for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  if ((${#missing[@]})); then install_missing; fi
else
  echo "Not a Debian system: make sure ${packages[*]} (or their equivalents) are installed." >&2
  command -v cmake >/dev/null 2>&1 || { echo "cmake is missing: install it, then run this command again." >&2; exit 1; }
fi

if [ "${1:-}" = "--windows" ]; then
  exit 0
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja ${BRINDLEWICK_CMAKE_ARGS:-}
elif ((testing)); then
  # Look again for what the test set-up may have just installed (the
  # benchmark library) in a folder that ./run configured.
  cmake "$build" >/dev/null
fi
if ((testing)); then
  cmake --build "$build"
else
  cmake --build "$build" --target brindlewick brindlewick-cli
fi
