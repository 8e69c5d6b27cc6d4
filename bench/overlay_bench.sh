#!/usr/bin/env bash
# Speed of the rectangle-selection overlay under Wine, at 1920x1080 and 3840x2160, each on a
# private Xvfb of that size with openbox, run by hand (not by CI):
#
#   bench/overlay_bench.sh [windows-build-folder] [moves]
#
# bench_overlay.exe (cmake --build build/win --target bench_overlay) opens the overlay seven
# times (grab of the real screen, window shown and painted) and moves the pointer [moves]
# times (default 300) with the magnifier on; it prints the medians and the area each move
# repainted against the magnifier's. The machine's load average is printed beside them.
# SIZES="1920x1080" limits the run to the sizes given.
set -u -o pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=SCRIPTDIR/../scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"

BUILD="$(cd "${1:-$ROOT/build/win}" && pwd)"
MOVES="${2:-300}"
BENCH="$BUILD/bench/bench_overlay.exe"
WORK="$BUILD/overlay-bench"
wine_env_bench_prepare "$BENCH" "$WORK" || exit

for size in ${SIZES:-1920x1080 3840x2160}; do
    WINE_ENV_SCREEN=$size wine_env_session "$WORK/template" "$WORK/prefix" "$WORK/x-$size" || exit 1
    echo "== $size (load average $(cut -d' ' -f1-3 /proc/loadavg))"
    wine "$BENCH" "$MOVES" </dev/null >"$WORK/out-$size.txt" 2>"$WORK/err-$size.txt"
    cat "$WORK/out-$size.txt"
    wine_env_cleanup
done
