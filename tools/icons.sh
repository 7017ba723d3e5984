#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers
#
# Remakes the PNG icons in app/icons/ from app/icons/brindlewick.svg after the
# SVG changes, the macOS bundle's brindlewick.icns and the Windows programs'
# brindlewick.ico from them. They are kept in the tree so that the window
# icon needs no SVG support at run time.
# Needs rsvg-convert (librsvg2-bin), png2icns (icnsutils) and icotool
# (icoutils).
set -euo pipefail
icons="$(cd "$(dirname "${BASH_SOURCE[0]}")/../app/icons" && pwd)"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$icons/brindlewick.svg" -o "$icons/brindlewick-$size.png"
done
png2icns "$icons/brindlewick.icns" "$icons"/brindlewick-{16,32,48,128,256}.png >/dev/null
# The 256-pixel image stays PNG inside the .ico, as Windows expects.
icotool -c -o "$icons/brindlewick.ico" "$icons"/brindlewick-{16,24,32,48}.png -r "$icons/brindlewick-256.png"
echo "wrote $(ls "$icons"/*.png | wc -l) icons in $icons"
