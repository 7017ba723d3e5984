#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers
#
# Builds the Windows release on this Debian machine: both programs
# cross-built for 64-bit Windows, with the DLLs and Qt plugins they need
# beside them, stripped, then a zip and an NSIS installer.
#   tools/windows.sh            the release, in build-windows/
#   tools/windows.sh --tests    the same with the test suites built, for
#                               ./test --windows
# Results: build-windows/release/ (the programs as installed) and
# build-windows/dist/Brindlewick-VERSION-windows-x64.zip and
# Brindlewick-VERSION-setup-x64.exe.
#
# Qt for Windows comes from the first of these that is there:
#   BRINDLEWICK_WINDOWS_QT      a Qt for mingw-w64 folder (with bin/qt-cmake)
#   the cache                   ${XDG_CACHE_HOME:-~/.cache}/brindlewick/
#   ../shared/windows/          the packed SDK, unpacked into the cache
#   a build from source         tools/windows_qt.sh into the cache: about
#                               16 minutes on 2 cores here, once
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRINDLEWICK_WINDOWS_BUILD_DIR:-$root/build-windows}"
qt_version=6.4.2
cache="${XDG_CACHE_HOME:-$HOME/.cache}/brindlewick/qt-$qt_version-mingw"
sdk_pack="$root/../shared/windows/qt-$qt_version-mingw-x86_64.tar.xz"
tests=OFF
[ "${1:-}" = "--tests" ] && tests=ON

"$root/tools/setup.sh" --windows
started=$SECONDS

# Qt for Windows.
qt="${BRINDLEWICK_WINDOWS_QT:-$cache/qt-mingw}"
if [ ! -x "$qt/bin/qt-cmake" ]; then
  if [ -n "${BRINDLEWICK_WINDOWS_QT:-}" ]; then
    echo "BRINDLEWICK_WINDOWS_QT=$qt holds no Qt (no bin/qt-cmake)." >&2
    exit 1
  fi
  rm -rf "$cache.new" && mkdir -p "$cache.new"
  if [ -f "$sdk_pack" ]; then
    echo "Unpacking Qt $qt_version for Windows from $sdk_pack…"
    tar -xJf "$sdk_pack" -C "$cache.new"
  else
    echo "No Qt for Windows at $sdk_pack: building it from source (a quarter of an hour or more, once)…"
    "$root/tools/windows_qt.sh" "$cache.new/qt-mingw"
  fi
  # Moved into place only when whole, so that an interrupted unpack or
  # build is not taken for a Qt next time.
  rm -rf "$cache" && mv "$cache.new" "$cache"
fi

# The programs (and the tests, when asked).
if [ ! -f "$build/build.ninja" ]; then
  "$qt/bin/qt-cmake" -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/packaging/windows/mingw-w64-x86_64.cmake" \
    -DBRINDLEWICK_BENCH=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DBRINDLEWICK_TESTS=$tests ${BRINDLEWICK_CMAKE_ARGS:-} >/dev/null
else
  cmake "$build" -DBRINDLEWICK_TESTS=$tests ${BRINDLEWICK_CMAKE_ARGS:-} >/dev/null
fi
cmake --build "$build"

# What the programs need beside them: the DLLs they import that Qt or
# mingw-w64 provide (found from the files themselves, so that a new
# dependency cannot be forgotten), and the plugins Qt loads by name. The
# command-line program has a folder of its own, with only what it needs,
# so that adding it to PATH puts no window DLLs there.
gcc_dll_dir="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")"
search=("$qt/bin" "$gcc_dll_dir" /usr/x86_64-w64-mingw32/lib)
# gather FOLDER FILE...: copies into FOLDER what the files import, and what
# that imports in turn.
gather() {
  local folder="$1" file dll dir
  shift
  local pending=("$@")
  while ((${#pending[@]})); do
    file="${pending[0]}"
    pending=("${pending[@]:1}")
    for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
      [ -e "$folder/$dll" ] && continue
      for dir in "${search[@]}"; do
        if [ -f "$dir/$dll" ]; then
          cp "$dir/$dll" "$folder/"
          pending+=("$folder/$dll")
          break
        fi
      done  # not found: one of Windows' own (KERNEL32.dll, msvcrt.dll…)
    done
  done
}
release="$build/release"
rm -rf "$release" && mkdir -p "$release/platforms" "$release/styles" "$release/cli"
cp "$build/brindlewick.exe" "$release/"
cp "$build/brindlewick-cli.exe" "$release/cli/"
cp "$qt/plugins/platforms/qwindows.dll" "$release/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$release/styles/"
gather "$release" "$release/brindlewick.exe" "$release/platforms/qwindows.dll" "$release/styles/qwindowsvistastyle.dll"
gather "$release/cli" "$release/cli/brindlewick-cli.exe"
find "$release" -name '*.exe' -o -name '*.dll' | xargs x86_64-w64-mingw32-strip --strip-unneeded
sed 's/$/\r/' "$root/packaging/windows/README.txt" >"$release/README.txt"
sed 's/$/\r/' "$root/LICENSE" >"$release/LICENSE.txt"

# The packages, named with the version.
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
dist="$build/dist"
rm -rf "$dist" && mkdir -p "$dist/Brindlewick-$version"
cp -r "$release"/. "$dist/Brindlewick-$version/"
(cd "$dist" && zip -qr9 "Brindlewick-$version-windows-x64.zip" "Brindlewick-$version" && rm -rf "Brindlewick-$version")
# The uninstaller removes what was installed, file by file, and then the
# folders if they are empty: never a folder's whole contents.
(
  cd "$release"
  find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|Delete "$INSTDIR\\&"|'
  find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|RMDir "$INSTDIR\\&"|'
) >"$build/files.nsh"
makensis -V2 -WX -DVERSION="$version" -DRELEASE="$release" -DFILES="$build/files.nsh" -DLICENSE="$release/LICENSE.txt" \
  -DICON="$root/app/icons/brindlewick.ico" -DOUTFILE="$dist/Brindlewick-$version-setup-x64.exe" \
  "$root/packaging/windows/brindlewick.nsi"

echo "Windows release built in $((SECONDS - started)) s:"
for file in "$dist"/*; do
  echo "  $file ($(du -h "$file" | cut -f1))"
done
