#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers
# Makes docs/screenshot.png, the README's picture of the window: starts the
# built program under a virtual X server (Xvfb) and captures its window.
# Needs a build (./run or ./test first); installs Xvfb and ImageMagick.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${1:-$root/docs/screenshot.png}"

need=()
command -v xvfb-run >/dev/null || need+=(xvfb xauth)
command -v import >/dev/null || need+=(imagemagick)
if ((${#need[@]})); then
  sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${need[@]}"
fi

mkdir -p "$(dirname "$out")"
xvfb-run -a -s "-screen 0 800x600x24 -dpi 96" bash -c '
  "$1/build/brindlewick" &
  app=$!
  for _ in $(seq 50); do
    sleep 0.2
    import -window Brindlewick "$2" 2>/dev/null && break
  done
  kill "$app"
' _ "$root" "$out"
test -s "$out"
echo "wrote $out"
