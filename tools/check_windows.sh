#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers
#
# Compiles the product code for Windows without building it: the mingw-w64
# compiler checks every source against this system's Qt headers with
# _WIN32 defined, so that the code under Q_OS_WIN is read by a compiler too
# (the Windows API calls, the includes, the types). Nothing is linked: there
# is no Qt for Windows here. Run by the suite as windows_syntax.
#   tools/check_windows.sh COMPILER QT_INCLUDE_DIR...
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
compiler="$1"
shift
flags=(-fsyntax-only -std=c++20 -Wall -Wextra -Wpedantic -Werror
  -DQT_NO_KEYWORDS -DQT_NO_CAST_FROM_ASCII '-DBRINDLEWICK_VERSION="0"' -I"$root")
for dir in "$@"; do
  flags+=(-isystem "$dir")  # Qt's own headers warn about their Linux dllimport set-up
done
cd "$root"
sources=$(find app cli platform scene link files -name '*.cpp' | sort)
if ! printf '%s\n' $sources | xargs -P "$(nproc)" -I{} "$compiler" "${flags[@]}" {}; then
  echo "windows_syntax: the code does not compile for Windows (above)" >&2
  exit 1
fi
echo "windows_syntax: $(echo "$sources" | wc -l) sources compile for Windows"
