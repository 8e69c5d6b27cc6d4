#!/usr/bin/env bash
# Speed of the real mark-up window on a 4K picture under Wine, on a private 3840x2160 Xvfb
# with openbox, run by hand (not by CI):
#
#   bench/markup_bench.sh [windows-build-folder] [rounds]
#
# bench_markup_window.exe (cmake --build build/win --target bench_markup_window) opens the
# window seven times until it is painted whole (the parts making the form, showing it and
# painting it beside the total), then, in the window as it opens (1:1 and fitted), maximized
# at 1:1 and maximized fitted, drags each tool [rounds] times (default 7) across the canvas
# and takes every step back with Ctrl+Z (a crop's undo, which resizes the picture, counted on
# its own), timing each from the input until the canvas has painted the result. It prints median and slowest against 150 ms to open and 16 ms per
# edit; the machine's load average is printed beside them.
set -u -o pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=SCRIPTDIR/../scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"

BUILD="$(cd "${1:-$ROOT/build/win}" && pwd)"
ROUNDS="${2:-7}"
BENCH="$BUILD/bench/bench_markup_window.exe"
WORK="$BUILD/markup-bench"
wine_env_bench_prepare "$BENCH" "$WORK" || exit
WINE_ENV_SCREEN=3840x2160 wine_env_session "$WORK/template" "$WORK/prefix" "$WORK/x" || exit 1
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores)"
wine "$BENCH" "$ROUNDS" </dev/null >"$WORK/out.txt" 2>"$WORK/err.txt"
status=$?
cat "$WORK/out.txt"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit "$status"
