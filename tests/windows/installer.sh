#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers
#
# The Windows packages under Wine. The zip's command-line program runs
# where it is unpacked. The installer, silent, for everyone and with the
# command-line program put on PATH, gives a program that runs from PATH and
# a Start-menu entry; the silent uninstall then leaves nothing behind: no
# file, no entry, PATH as it was, no registry key.
#   tests/windows/installer.sh WINE_RUN DIST     (WINE_RUN: tests/windows/wine.sh)
set -euo pipefail
wine_run="$1"
dist="$2"
: "${WINEPREFIX:?set WINEPREFIX}"
server="${WINESERVER:-/usr/lib/wine/wineserver64}"
[ -x "$server" ] || server=wineserver
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
run() { "$wine_run" "$dist" "$@" | tr -d '\r'; }
settle() { "$server" -w; }  # every Windows process has ended, the installer's children too
environment='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'

setup="$(ls "$dist"/Brindlewick-*-setup-x64.exe)"
version="${setup##*/Brindlewick-}"
version="${version%-setup-x64.exe}"
installed="$WINEPREFIX/drive_c/Program Files/Brindlewick"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Brindlewick.lnk"
[ ! -e "$installed" ] || fail "Brindlewick is already installed in $installed"

unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && unzip -q "$dist/Brindlewick-$version-windows-x64.zip")
[ "$(run "$unpacked/Brindlewick-$version/cli/brindlewick-cli.exe" --version)" = "brindlewick-cli $version" ] ||
  fail "the zip's brindlewick-cli.exe does not run"
[ -f "$unpacked/Brindlewick-$version/brindlewick.exe" ] || fail "the zip holds no brindlewick.exe"

path_before="$(run reg query "$environment" /v Path)"
run "$setup" /S /ADDTOPATH
settle
for file in brindlewick.exe platforms/qwindows.dll cli/brindlewick-cli.exe Uninstall.exe; do
  [ -f "$installed/$file" ] || fail "the installer did not install $file"
done
[ -f "$shortcut" ] || fail "no Start-menu entry"
[ "$(run cmd /c brindlewick-cli --version)" = "brindlewick-cli $version" ] ||
  fail "brindlewick-cli is not on PATH after an install with /ADDTOPATH"
run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindlewick' /v DisplayVersion |
  grep -q "$version" || fail "no uninstall entry in the registry"

run "$installed/Uninstall.exe" /S
settle
[ ! -e "$installed" ] || fail "the uninstaller left $(cd "$installed" && find . | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the uninstaller left the Start-menu entry"
[ "$(run reg query "$environment" /v Path)" = "$path_before" ] || fail "PATH is not as it was before the install"
if run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindlewick' >/dev/null 2>&1; then
  fail "the uninstaller left its registry key"
fi
echo "installer: the zip runs; installed, ran from PATH and uninstalled with nothing left"
