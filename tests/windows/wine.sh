#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers
#
# Runs a program built for Windows under Wine, headless, finding Qt's DLLs
# in QT_BIN and mingw-w64's where Debian puts them: the Windows build's
# emulator for its test suites.
#   tests/windows/wine.sh QT_BIN PROGRAM ARGUMENT...
# Needs WINEPREFIX (./test --windows makes one of its own).
set -euo pipefail
qt_bin="$1"
shift
: "${WINEPREFIX:?set WINEPREFIX to a Wine prefix of your own (./test --windows makes one)}"
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=C.UTF-8 LC_ALL=C.UTF-8  # arguments reach the program as the test wrote them
wine=/usr/lib/wine/wine64
if [ ! -x "$wine" ]; then wine="$(command -v wine64 || command -v wine)"; fi
[ -x /usr/lib/wine/wineserver64 ] && export WINESERVER=/usr/lib/wine/wineserver64
# Wine hides QT_* from Windows programs and passes WINEQT_* on as QT_*.
export WINEQT_QPA_PLATFORM=offscreen WINEQT_FORCE_STDERR_LOGGING=1
export WINEQT_QPA_FONTDIR='Z:\usr\share\fonts\truetype\liberation'
gcc_dlls="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")"
path=""
for dir in "$qt_bin" "$gcc_dlls" /usr/x86_64-w64-mingw32/lib; do
  path+="${path:+;}Z:${dir//\//\\}"  # an empty entry would stop cmd's search of PATH
done
export WINEPATH="$path"
exec "$wine" "$@"
