#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers
#
# Builds Qt 6.4.2 for 64-bit Windows with Debian's mingw-w64, as
# tools/windows.sh needs it when no ready-made one is given: Core, Gui,
# Widgets, Test and Serial Port, with the windows, offscreen and minimal
# platforms and the windowsvista style. 16 minutes on 2 cores here.
#   tools/windows_qt.sh DEST    installs it into DEST (DEST/bin/qt-cmake…)
# qtbase is Debian's own source (the Qt the Linux build uses), fetched from
# the Debian mirror. Qt Serial Port's source is taken from
# BRINDLEWICK_QTSERIALPORT_SRC, else ../shared/windows/, else Qt's archive.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dest="$(realpath -m "$1")"
mirror="${BRINDLEWICK_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
qtbase_dsc="pool/main/q/qt6-base/qt6-base_6.4.2+dfsg-10.dsc"
serialport="${BRINDLEWICK_QTSERIALPORT_SRC:-$root/../shared/windows/qtserialport-6.4.2-src.tar.xz}"
serialport_url=https://download.qt.io/archive/qt/6.4/6.4.2/submodules/qtserialport-everywhere-src-6.4.2.tar.xz
toolchain="$root/packaging/windows/mingw-w64-x86_64.cmake"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# Debian's source package: the .dsc names its files; dpkg-source checks
# them against it when unpacking.
curl -fsSLO "$mirror/$qtbase_dsc"
for file in $(sed -n '/^Files:/,/^[^ ]/s/^ [0-9a-f]\{32\} [0-9]* //p' "$(basename "$qtbase_dsc")"); do
  curl -fsSLO "$mirror/$(dirname "$qtbase_dsc")/$file"
done
dpkg-source -x "$(basename "$qtbase_dsc")" qtbase >/dev/null
patch -d qtbase -p1 <"$root/packaging/windows/qtbase-no-direct2d-directwrite.patch"

# -no-feature-tabletevent: Debian's source has no wintab.h.
# -no-feature-androiddeployqt: Debian's cross-build patch would build that
# tool for Windows.
mkdir qtbase-build
(
  cd qtbase-build
  ../qtbase/configure -prefix "$dest" -xplatform win32-g++ -qt-host-path /usr -release -shared \
    -nomake examples -nomake tests -no-opengl -no-dbus \
    -qt-zlib -qt-pcre -qt-libpng -no-libjpeg -qt-freetype -qt-harfbuzz \
    -no-feature-sql -no-feature-network -no-feature-printsupport -no-feature-xml \
    -no-feature-concurrent -no-feature-vulkan -no-feature-tabletevent -no-feature-direct2d \
    -no-feature-androiddeployqt \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  ninja
  ninja install
)

if [ ! -f "$serialport" ]; then
  serialport="$work/qtserialport.tar.xz"
  curl -fsSL -o "$serialport" "$serialport_url"
fi
mkdir qtserialport qtserialport-build
tar -xJf "$serialport" -C qtserialport --strip-components=1
(
  cd qtserialport-build
  "$dest/bin/qt-configure-module" ../qtserialport
  ninja
  ninja install
)
echo "Qt for Windows built into $dest"
