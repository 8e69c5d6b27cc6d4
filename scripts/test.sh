#!/usr/bin/env bash
# Builds everything and runs every test suite:
#
#   unit   native GoogleTest (build/native, Release)
#   asan   the same under AddressSanitizer + UBSan (build/native-asan, Debug)
#   fuzz   every libFuzzer target of tests/fuzz for 20 s (scripts/fuzz.sh, build/fuzz)
#   win32  win32_tests.exe under Wine, in a fresh prefix on a private X display
#   e2e    the real pictorn.exe under Wine, driven from outside (tests/e2e)
#   package  the MSI and the portable zip (scripts/package.sh, into build/packages)
#
# Ends with one line "SUMMARY: unit PASS, asan PASS, fuzz PASS, win32 PASS, e2e PASS, package PASS" and
# a non-zero exit status when any suite failed. A suite with nothing to run yet is reported as SKIP.
# Logs: build/test-logs/. Set PICTORN_BUILD_DIR to use another build folder.
#
# For work on one part, the run can be narrowed (CI sets none of these):
#   PICTORN_SUITES="win32 e2e"        only these suites (the others are reported as SKIP)
#   PICTORN_GTEST_FILTER='Ftp*'       a GoogleTest filter for the unit, asan and win32 suites
#   PICTORN_E2E_K="ftp mail"          only end-to-end tests whose names contain one of these
set -u -o pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=SCRIPTDIR/setup.sh
source "$ROOT/scripts/setup.sh"
# shellcheck source=SCRIPTDIR/wine-env.sh
source "$ROOT/scripts/wine-env.sh"

BUILD="$PICTORN_BUILD"
LOGS="$BUILD/test-logs"
TEMPLATE="$BUILD/wine-template"
PYTHON=/usr/bin/python3
declare -A RESULT

say() { echo "[test] $*"; }

# Shows the end of a log after a failure, so CI output alone explains it.
show_tail() {
    echo "----- last lines of $1 -----"
    tail -n "${2:-60}" "$1"
    echo "-----"
}

has_sources() { [[ -n "$(find "$ROOT/$1" -name '*.cpp' -print -quit 2>/dev/null)" ]]; }

# run_step <name> <function>: times one suite and records its result line.
run_step() {
    local name="$1" start=$SECONDS
    if [[ -n "${PICTORN_SUITES:-}" && " $PICTORN_SUITES " != *" $name "* ]]; then
        RESULT[$name]="SKIP (not selected)"
        return
    fi
    say "$name ..."
    "$2"
    say "$name: ${RESULT[$name]} [$((SECONDS - start)) s]"
}

# ctest in one native build; sets RESULT[$1].
native_suite() {
    local name="$1" tree="$2" log="$LOGS/$1.log"
    if ! has_sources tests/unit; then
        RESULT[$name]="SKIP (no tests)"
        return
    fi
    # The sanitizer tree only needs the tests; the release tree builds everything, so the
    # benchmarks keep compiling too.
    local targets=()
    [[ "$tree" == native-asan ]] && targets=(unit_tests)
    if ! setup_build "$tree" "${targets[@]}" >"$LOGS/build-$tree.log" 2>&1; then
        show_tail "$LOGS/build-$tree.log"
        RESULT[$name]="FAIL (build)"
        return
    fi
    local select=()
    [[ -n "${PICTORN_GTEST_FILTER:-}" ]] && select=(-R "$(filter_to_regex "$PICTORN_GTEST_FILTER")")
    if ctest --test-dir "$BUILD/$tree" -j"$PICTORN_JOBS" --timeout 300 --output-on-failure "${select[@]}" \
        >"$log" 2>&1; then
        local count
        count=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
        if [[ -z "$count" || "$count" == 0 ]]; then
            RESULT[$name]="SKIP (no tests)"
        else
            RESULT[$name]="PASS ($count tests)"
        fi
    else
        show_tail "$log" 80
        RESULT[$name]="FAIL"
    fi
}

# A GoogleTest filter ('A*:B.c') as the regular expression ctest selects test names with.
filter_to_regex() {
    local regex="${1//./\\.}"
    regex="${regex//\*/.*}"
    echo "^(${regex//:/|})"
}

step_unit() { native_suite unit native; }

step_fuzz() {
    local log="$LOGS/fuzz.log"
    if [[ ! -d "$ROOT/tests/fuzz" ]]; then
        RESULT[fuzz]="SKIP (no targets)"
        return
    fi
    # A short run of every target; scripts/fuzz.sh 600 is the long one, by hand.
    if PICTORN_BUILD_DIR="$BUILD" "$ROOT/scripts/fuzz.sh" 20 >"$log" 2>&1; then
        RESULT[fuzz]="PASS ($(sed -n 's/^fuzz: //p' "$log"))"
    else
        show_tail "$log" 40
        RESULT[fuzz]="FAIL"
    fi
}

step_asan() {
    # Leaks and undefined behaviour fail the test that causes them.
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1" \
        UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" native_suite asan native-asan
}

prepare_template() {
    [[ -n "${TEMPLATE_READY:-}" ]] && return 0
    wine_env_template "$TEMPLATE" >"$LOGS/wine-template.log" 2>&1 || {
        show_tail "$LOGS/wine-template.log"
        return 1
    }
    TEMPLATE_READY=1
}

step_win32() {
    local log="$LOGS/win32.log" exe="$BUILD/win/tests/win32_tests.exe"
    if ! has_sources tests/win32; then
        RESULT[win32]="SKIP (no tests)"
        return
    fi
    if ! setup_build win win32_tests >"$LOGS/build-win-win32_tests.log" 2>&1; then
        show_tail "$LOGS/build-win-win32_tests.log"
        RESULT[win32]="FAIL (build)"
        return
    fi
    if ! prepare_template; then
        RESULT[win32]="FAIL (wine prefix)"
        return
    fi
    local prefix="$BUILD/wine-win32" status
    (
        # A subshell of its own, so its trap stops exactly what it started.
        wine_env_install_trap
        wine_env_session "$TEMPLATE" "$prefix" "$LOGS/win32-x" || exit 91
        # shellcheck source=SCRIPTDIR/../tests/win32/net_servers.sh
        source "$ROOT/tests/win32/net_servers.sh"
        net_servers_start "$LOGS/win32-net" "$BUILD/win/tests/trust_certificate.exe" || {
            [[ -n "${NET_SERVERS_PID:-}" ]] && WINE_ENV_PIDS+=("$NET_SERVERS_PID")
            exit 93
        }
        WINE_ENV_PIDS+=("$NET_SERVERS_PID") # stopped with the display when the step ends
        cd "$BUILD/win/tests" || exit 92
        wine_env_run_logged "$log" timeout -k 10 600 wine "$exe" --gtest_output="xml:$LOGS/win32.xml" \
            ${PICTORN_GTEST_FILTER:+"--gtest_filter=$PICTORN_GTEST_FILTER"}
    )
    status=$?
    if ((status == 0)); then
        local count
        count=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -n 1)
        RESULT[win32]="PASS (${count:-0} tests)"
    else
        show_tail "$log" 80
        case $status in
        90 | 91) RESULT[win32]="FAIL (wine prefix or display)" ;;
        93) RESULT[win32]="FAIL (network test servers)" ;;
        124) RESULT[win32]="FAIL (timed out)" ;;
        *) RESULT[win32]="FAIL" ;;
        esac
    fi
}

step_e2e() {
    local log="$LOGS/e2e.log"
    # Until the program's entry point exists there is nothing to drive.
    if [[ ! -f "$ROOT/src/main.cpp" ]]; then
        RESULT[e2e]="SKIP (no program yet)"
        return
    fi
    if ! has_sources tests/e2e/driver; then
        RESULT[e2e]="SKIP (no driver)"
        return
    fi
    if ! setup_build win pictorn e2e_driver >"$LOGS/build-win-pictorn.log" 2>&1; then
        show_tail "$LOGS/build-win-pictorn.log"
        RESULT[e2e]="FAIL (build)"
        return
    fi
    if ! prepare_template; then
        RESULT[e2e]="FAIL (wine prefix)"
        return
    fi
    local select=() pattern
    for pattern in ${PICTORN_E2E_K:-}; do
        select+=(-k "$pattern")
    done
    if timeout -k 10 900 "$PYTHON" "$ROOT/tests/e2e/run_e2e.py" --build "$BUILD/win" \
        --work "$BUILD/e2e" --template "$TEMPLATE" "${select[@]}" </dev/null >"$log" 2>&1; then
        local count
        count=$(sed -n 's/^Ran \([0-9]*\) test.*/\1/p' "$log" | tail -n 1)
        RESULT[e2e]="PASS (${count:-0} tests)"
    else
        show_tail "$log" 80
        RESULT[e2e]="FAIL"
    fi
}

step_package() {
    local log="$LOGS/package.log"
    if "$ROOT/scripts/package.sh" >"$log" 2>&1; then
        RESULT[package]="PASS ($(grep -c -E '\.(msi|zip)$' "$log") files)"
    else
        show_tail "$log"
        RESULT[package]="FAIL"
    fi
}

main() {
    local start=$SECONDS
    mkdir -p "$BUILD"
    rm -rf "$LOGS"
    mkdir -p "$LOGS"
    if ! setup_packages || ! setup_daemons; then
        echo "SUMMARY: setup FAIL (packages could not be installed)"
        return 1
    fi
    run_step unit step_unit
    run_step asan step_asan
    run_step fuzz step_fuzz
    run_step win32 step_win32
    run_step e2e step_e2e
    run_step package step_package

    local failed=0 name line=""
    for name in unit asan fuzz win32 e2e package; do
        line+="${line:+, }$name ${RESULT[$name]%% (*}"
        [[ "${RESULT[$name]}" == FAIL* ]] && failed=1
    done
    # CPU time of everything run, to compare runs on a busy machine by more than wall time.
    times >"$LOGS/cpu-times.txt"
    say "logs in $LOGS; total $((SECONDS - start)) s wall, CPU (user sys) of children:" \
        "$(tail -n 1 "$LOGS/cpu-times.txt")"
    echo "SUMMARY: $line"
    return $failed
}

main "$@"
