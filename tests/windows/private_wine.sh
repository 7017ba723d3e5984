#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers
#
# Runs a command that uses Wine with a Wine of its own: the prefix in
# WINEPREFIX, made when missing, and a wineserver started afresh where this
# machine's serial ports (/dev/ttyS*) lead nowhere. Wine makes each of them a
# COM port at every start, and on a machine whose first one is the system
# console, bytes meant for a test port would go there. COM1 is the link
# BRINDLEWICK_COM1, for a test to point at its pseudo-terminal.
#   tests/windows/private_wine.sh COMMAND...
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
: "${WINEPREFIX:?set WINEPREFIX}"
export WINEDEBUG="${WINEDEBUG:--all}"
if [ -z "${BRINDLEWICK_PORTS_HIDDEN:-}" ]; then
  hide='for port in /dev/ttyS*; do [ -e "$port" ] && mount --bind /dev/null "$port"; done; exec "$@"'
  for flags in -m -rm; do  # as root; else in a namespace of one's own, where one is root
    if unshare $flags true 2>/dev/null; then
      BRINDLEWICK_PORTS_HIDDEN=1 exec unshare $flags -- bash -c "$hide" bash "$0" "$@"
    fi
  done
  echo "warning: cannot hide this machine's serial ports from Wine (unshare is not allowed here)" >&2
fi
server="${WINESERVER:-/usr/lib/wine/wineserver64}"
[ -x "$server" ] || server="$(command -v wineserver)"
export WINESERVER="$server"
"$server" -k 2>/dev/null || true  # a server started elsewhere sees the real ports
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Making a Wine prefix in $WINEPREFIX…"
  "$here/wine.sh" / wineboot -i >/dev/null 2>&1
fi
# Wine reads its ports when it starts: named now, for the run to come.
export BRINDLEWICK_COM1="$WINEPREFIX/brindlewick-com1"
"$here/wine.sh" / reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$BRINDLEWICK_COM1" /f >/dev/null
"$server" -w
"$@"
status=$?
"$server" -k 2>/dev/null || true
exit $status
