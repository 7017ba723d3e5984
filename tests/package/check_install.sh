#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers
# Installs the build into a scratch folder and packs it as a .deb, then
# checks that both hold the program, its menu entry and its icon.
set -euo pipefail
build="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

cmake --install "$build" --prefix "$scratch/usr" >/dev/null
test -x "$scratch/usr/bin/brindlewick"
desktop="$scratch/usr/share/applications/brindlewick.desktop"
grep -qx 'Exec=brindlewick' "$desktop"
grep -qx 'Icon=brindlewick' "$desktop"
test -s "$scratch/usr/share/icons/hicolor/scalable/apps/brindlewick.svg"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi

(cd "$build" && cpack -G DEB -B "$scratch/deb" >/dev/null)
deb="$(ls "$scratch"/deb/brindlewick_*.deb)"
contents="$(dpkg-deb -c "$deb")"
for path in ./usr/bin/brindlewick ./usr/share/applications/brindlewick.desktop \
            ./usr/share/icons/hicolor/scalable/apps/brindlewick.svg; do
  grep -q " $path\$" <<<"$contents" || { echo "missing from the package: $path"; exit 1; }
done
dpkg-deb -f "$deb" Depends | grep -q libqt6serialport6
echo "installs and packs: $(basename "$deb")"
