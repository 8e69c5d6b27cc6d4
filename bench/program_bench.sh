# shellcheck shell=bash
# Sourced by the benches that run the real pictorn.exe and drive it with e2e_driver.exe:
#
#   source "$ROOT/bench/program_bench.sh" <windows-build-folder> <work-folder-name> [input]...
#
# Sets BUILD, PICTORN, DRIVER, WORK (below BUILD) and KEY (the program's registry key), stops
# with status 2 when the program, the driver or an input file is missing, and gives the
# helpers every such bench uses: log, winpath, driver and field.
# shellcheck source=SCRIPTDIR/../scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"

BUILD="$(cd "$1" && pwd)" || exit 2
PICTORN="$BUILD/src/pictorn.exe"
DRIVER="$BUILD/tests/e2e_driver.exe"
WORK="$BUILD/$2"
KEY='HKCU\Software\Orvanta\Pictorn'

log() { echo "[bench] $*" >&2; }

for f in "$PICTORN" "$DRIVER" "${@:3}"; do
    [[ -f "$f" ]] || {
        log "missing $f"
        exit 2
    }
done

winpath() { echo "Z:${1//\//\\}"; }
# driver <args...>: runs e2e_driver; its records go to $WORK/driver.out (never a pipe).
driver() { wine "$DRIVER" "$@" </dev/null >"$WORK/driver.out" 2>>"$WORK/driver.err"; }
field() { tr '\t' '\n' <"$WORK/driver.out" | sed -n "s/^$1=//p" | head -n 1; }
