#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Brindlewick developers
# Builds the fuzz target with clang into build-fuzz/, replays the seed corpus
# and every saved regression input, then fuzzes for FUZZ_SECONDS (default 60).
# A failing input is saved under build-fuzz/crashes/; copy it into
# fuzz/regressions/ to keep it.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-fuzz"
seconds="${FUZZ_SECONDS:-60}"

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ not found, skipped" >&2
  exit 0
fi
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
    -DBRINDLEWICK_FUZZ=ON -DBRINDLEWICK_TESTS=OFF -DBRINDLEWICK_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target fuzz_scene_grid

target="$build/fuzz/fuzz_scene_grid"
mkdir -p "$build/corpus" "$build/crashes"
cp -n "$root"/fuzz/corpus/* "$build/corpus/" 2>/dev/null || true

regressions=("$root"/fuzz/regressions/*)
replay=("$root"/fuzz/corpus/*)
for input in "${regressions[@]}"; do
  [ "$(basename "$input")" = README.md ] || replay+=("$input")
done
# Only a failure's own output is shown: libFuzzer's notes about replaying
# are no news.
if ! out="$("$target" -runs=0 "${replay[@]}" 2>&1)"; then
  echo "$out" | tail -n 40 >&2
  echo "fuzz: a saved input fails" >&2
  exit 1
fi
echo "fuzz: replayed ${#replay[@]} saved inputs, none failed"

echo "fuzz: fuzzing for ${seconds} s"
"$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$build/crashes/" "$build/corpus" 2>&1 |
  grep -E '^(stat::number_of_executed_units|stat::new_units_added|==[0-9]+==ERROR|SUMMARY)|Done [0-9]+ runs|crash-|BINGO' || true
if compgen -G "$build/crashes/*" >/dev/null; then
  echo "fuzz: failing inputs were found:" >&2
  ls "$build/crashes" >&2
  exit 1
fi
