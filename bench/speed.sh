#!/usr/bin/env bash
# Every speed figure of the program in one run, for a quiet machine (run by hand):
#
#   bench/speed.sh [runs]
#
# Builds what the benches need (build/win: pictorn.exe, e2e_driver.exe; build/native:
# bench_imaging), then runs, each printing its figures beside their references and the load
# average: bench_imaging (our encoders against libpng and libjpeg-turbo, sizes and times),
# capture_bench.sh (capture to picture shown and to auto-saved PNG against scrot in the same
# run, where the time goes inside the program, the 4K peak memory) with [runs] captures each
# (default 7), and save_bench.sh (Save As of a 7680x4320 capture in every type: the longest
# time the window did not answer). The corpus is $PICTORN_CORPUS, else ../shared/corpus.
set -u -o pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=SCRIPTDIR/../scripts/setup.sh
source "$ROOT/scripts/setup.sh"
RUNS="${1:-7}"
export PICTORN_CORPUS="${PICTORN_CORPUS:-$ROOT/../shared/corpus}"

{ setup_build win pictorn e2e_driver && setup_build native bench_imaging; } >"$PICTORN_BUILD/speed-build.log" 2>&1 || {
    tail -n 20 "$PICTORN_BUILD/speed-build.log" >&2
    exit 1
}
echo "== encoders (build/native/bench/bench_imaging)"
"$PICTORN_BUILD/native/bench/bench_imaging" "$PICTORN_CORPUS"
echo
echo "== captures (bench/capture_bench.sh, $RUNS runs)"
"$ROOT/bench/capture_bench.sh" "$PICTORN_BUILD/win" "$RUNS"
echo
echo "== Save As of 7680x4320 (bench/save_bench.sh)"
"$ROOT/bench/save_bench.sh" "$PICTORN_BUILD/win"
