#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers
# Installs a build into a scratch folder and packs it as a .deb, then holds
# both to what Debian's own checkers (lintian, appstreamcli,
# desktop-file-validate) accept: any error or warning fails. The suite runs
# it; run it by hand before a release:  tools/check_package.sh build
set -euo pipefail
build="${1:-$(dirname "$0")/../build}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
id=org.brindlewick.Brindlewick

cmake --install "$build" --prefix "$scratch/usr" >/dev/null
share="$scratch/usr/share"
for file in bin/brindlewick bin/brindlewick-cli share/man/man1/brindlewick.1.gz \
            share/man/man1/brindlewick-cli.1.gz share/applications/$id.desktop \
            share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/brindlewick.svg \
            share/icons/hicolor/48x48/apps/brindlewick.png share/doc/brindlewick/copyright; do
  test -s "$scratch/usr/$file" || { echo "not installed: $file"; exit 1; }
done
desktop-file-validate "$share/applications/$id.desktop"
appstreamcli validate --no-net --no-color "$share/metainfo/$id.metainfo.xml"

(cd "$build" && cpack -G DEB -B "$scratch/deb" >/dev/null 2>&1)
deb="$(ls "$scratch"/deb/brindlewick_*.deb)"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6serialport6' || { echo "Depends was not computed from the binary"; exit 1; }
# lintian leaves a cache file in the temporary folder: keep it in ours.
report="$(TMPDIR="$scratch" lintian --allow-root --fail-on error,warning --tag-display-limit 0 "$deb")" || { echo "$report"; exit 1; }
echo "lintian: ${report:-clean}"
echo "installs and packs: $(basename "$deb")"
