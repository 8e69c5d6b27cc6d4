#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (AddressSanitizer + UBSan, in
# build/fuzz) and runs each of them for a while:
#
#   scripts/fuzz.sh [seconds per target, default 600] [target ...]
#
# Each target starts from its seeds (tests/fuzz/corpus/<target>/) and the corpus earlier
# runs grew (build/fuzz/corpus/<target>/, kept out of the repository). Prints one line a
# target, "<target>: <executions> executions in <s> s, no finding" or "... FINDING: <file>",
# then "fuzz: <targets> targets, <total> executions, <findings> findings". A finding's input
# is left in build/fuzz/findings/; the exit status is non-zero when there is one.
set -u -o pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PICTORN_BUILD_DIR:-$ROOT/build}/fuzz"
SECONDS_EACH="${1:-600}"
shift || true
JOBS="${PICTORN_JOBS:-2}"

log() { echo "[fuzz] $*" >&2; }

configure_and_build() {
    local launcher=()
    command -v ccache >/dev/null &&
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    if [[ ! -f "$BUILD/build.ninja" ]]; then
        mkdir -p "$BUILD"
        CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DPICTORN_FUZZ=ON "${launcher[@]}" >"$BUILD.configure.log" 2>&1 || {
            cat "$BUILD.configure.log" >&2
            rm -f "$BUILD/build.ninja"
            return 1
        }
    fi
    cmake --build "$BUILD" -j"$JOBS" >"$BUILD.build.log" 2>&1 || {
        tail -n 40 "$BUILD.build.log" >&2
        return 1
    }
}

# Options of one target beyond the common ones.
target_options() {
    case "$1" in
    # The whole window start-up keeps state between inputs on purpose (one platform for the
    # run), which the per-input leak check would take for leaks; the ASan unit tests check
    # the start-up for leaks instead.
    fuzz_start_up) echo "-detect_leaks=0" ;;
    esac
}

run_target() {
    local target="$1" exe="$BUILD/tests/fuzz/$1"
    local seeds="$ROOT/tests/fuzz/corpus/$target" corpus="$BUILD/corpus/$target"
    local findings="$BUILD/findings" log="$BUILD/logs/$target.log"
    mkdir -p "$corpus" "$findings" "$BUILD/logs"
    local dirs=("$corpus")
    [[ -d "$seeds" ]] && dirs+=("$seeds")
    local start=$SECONDS status
    # shellcheck disable=SC2046
    "$exe" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/$target-" $(target_options "$target") "${dirs[@]}" \
        </dev/null >"$log" 2>&1
    status=$?
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    runs=${runs:-0}
    TOTAL=$((TOTAL + runs))
    if ((status == 0)); then
        echo "$target: $runs executions in $((SECONDS - start)) s, no finding"
    else
        FINDINGS=$((FINDINGS + 1))
        local artifact
        artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
        echo "$target: $runs executions in $((SECONDS - start)) s, FINDING: ${artifact:-see $log}"
        grep -m 5 -E 'ERROR|runtime error|SUMMARY' "$log" >&2
    fi
}

main() {
    command -v clang++ >/dev/null || {
        log "clang++ is missing (scripts/setup.sh packages installs it)"
        return 1
    }
    configure_and_build || return 1
    local targets=("$@")
    if ((${#targets[@]} == 0)); then
        local source
        for source in "$ROOT"/tests/fuzz/*.cpp; do
            targets+=("$(basename "$source" .cpp)")
        done
    fi
    TOTAL=0
    FINDINGS=0
    local target
    for target in "${targets[@]}"; do
        run_target "$target"
    done
    echo "fuzz: ${#targets[@]} targets, $TOTAL executions, $FINDINGS findings"
    ((FINDINGS == 0))
}

main "$@"
