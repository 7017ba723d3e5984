#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers
# Formats every C++ file in the tree with clang-format (.clang-format).
#   tools/format.sh           rewrites the files in place
#   tools/format.sh --check   changes nothing; names the files that need it
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
else
  mapfile -t files < <(find app platform scene link files tests bench fuzz -name '*.cpp' -o -name '*.h')
fi
if [ "${1:-}" != "--check" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
# clang-format names each file it would change in a "file:line:col:" warning.
mapfile -t unformatted < <(clang-format --dry-run -Werror "${files[@]}" 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: .*/\1/p' | sort -u)
if ((${#unformatted[@]})); then
  echo "not formatted (run tools/format.sh): ${unformatted[*]}" >&2
  exit 1
fi
echo "all ${#files[@]} C++ files are formatted"
