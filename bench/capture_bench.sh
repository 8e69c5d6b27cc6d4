#!/usr/bin/env bash
# Capture benchmark of the real pictorn.exe under Wine on a private Xvfb display, run by hand
# (not by CI):
#
#   bench/capture_bench.sh [windows-build-folder] [runs]
#
# The screen shows the corpus picture ui_1920.png ($PICTORN_CORPUS, default
# /work/shared/corpus). Measured, median of [runs] (default 7) each:
#   a) capture to picture shown: from posting "Capture Full Screen" until tmpPictorn.bmp is
#      whole and the main window is visible again (auto-save off);
#   b) capture to auto-saved PNG: until the time-stamped PNG is whole;
#   scrot writing a PNG of the same display, for comparison (apt-get install scrot; it is
#   not part of the CI packages);
#   c) peak memory (VmHWM of the Wine process that runs pictorn.exe) before and after one
#      3840x2160 capture with PNG auto-save, against the raw frame (3840 x 2160 x 4 bytes).
# The times come from e2e_driver's time-capture, which polls inside Wine every 2 ms.
set -u -o pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=SCRIPTDIR/../scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"

BUILD="$(cd "${1:-$ROOT/build/win}" && pwd)"
RUNS="${2:-7}"
CORPUS="${PICTORN_CORPUS:-/work/shared/corpus}/ui_1920.png"
PICTORN="$BUILD/src/pictorn.exe"
DRIVER="$BUILD/tests/e2e_driver.exe"
WORK="$BUILD/capture-bench"
KEY='HKCU\Software\Orvanta\Pictorn'

log() { echo "[bench] $*" >&2; }

for f in "$PICTORN" "$DRIVER" "$CORPUS"; do
    [[ -f "$f" ]] || {
        log "missing $f"
        exit 2
    }
done

median() { sort -n | awk '{v[NR] = $1} END {if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }
winpath() { echo "Z:${1//\//\\}"; }

# Xvfb of the given size on the first free display from :190 up, with openbox.
bench_start_display() {
    local size="$1" n pid started=""
    for ((n = 190; n < 290; n++)); do
        wine_env_display_free "$n" || continue
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >"$WORK/xvfb-$size.log" 2>&1 &
        pid=$!
        if wine_env_poll 10 test -S "/tmp/.X11-unix/X$n" && kill -0 "$pid" 2>/dev/null; then
            WINE_ENV_PIDS+=("$pid")
            export DISPLAY=":$n"
            started=1
            break
        fi
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    [[ -n "$started" ]] || return 1
    # The socket exists before the server listens; openbox gives up if it comes too early.
    wine_env_poll 10 bench_x_ready || return 1
    openbox --sm-disable >"$WORK/openbox-$size.log" 2>&1 &
    WINE_ENV_PIDS+=("$!")
    wine_env_poll 10 wine_env_wm_ready
}
bench_x_ready() { xwininfo -root >/dev/null 2>&1; }

# driver <args...>: runs e2e_driver; its records go to $WORK/driver.out (never a pipe).
driver() { wine "$DRIVER" "$@" </dev/null >"$WORK/driver.out" 2>>"$WORK/driver.err"; }
field() { tr '\t' '\n' <"$WORK/driver.out" | sed -n "s/^$1=//p" | head -n 1; }

# The Linux process (pid) that runs pictorn.exe in this prefix.
pictorn_linux_pid() {
    local p
    for p in /proc/[0-9]*; do
        tr '\0' '\n' 2>/dev/null <"$p/cmdline" | grep -qi 'pictorn\.exe$' || continue
        tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
        echo "${p#/proc/}"
        return 0
    done
    return 1
}

# start_pictorn [name value]...: stores the settings, starts the program, waits for its window
# (captioned $TITLE, which tells whether auto-save is on).
start_pictorn() {
    TITLE=Pictorn
    [[ " $* " == *" AutoSave 1 "* ]] && TITLE="Pictorn - AutoSave activated"
    wine reg delete "$KEY" /f </dev/null >/dev/null 2>&1
    wine reg add "$KEY" /v PlaySound /t REG_SZ /d 0 /f </dev/null >/dev/null 2>&1
    while (($# >= 2)); do
        wine reg add "$KEY" /v "$1" /t REG_SZ /d "$2" /f </dev/null >/dev/null 2>&1
        shift 2
    done
    wine "$PICTORN" </dev/null >>"$WORK/pictorn.log" 2>&1 &
    PICTORN_PID=$!
    WINE_ENV_PIDS+=("$PICTORN_PID")
    driver wait-window "$TITLE" 60000 || {
        log "the main window did not appear"
        return 1
    }
}

stop_pictorn() {
    driver close "$TITLE"
    driver wait-gone "$TITLE" 20000
    wait "$PICTORN_PID" 2>/dev/null
}

# time_captures <watched file or folder> <runs>: prints one time (ms) per run.
time_captures() {
    local watched="$1" runs="$2" i file_ms visible_ms
    for ((i = 0; i < runs; i++)); do
        driver time-capture "$TITLE" 1012 "$watched" 60000 || {
            log "capture $i timed out: $(cat "$WORK/driver.err")"
            return 1
        }
        file_ms=$(field file_ms)
        visible_ms=$(field visible_ms)
        echo $((file_ms > visible_ms ? file_ms : visible_ms))
        echo "$i file=$file_ms visible=$visible_ms" >>"$WORK/runs.log"
    done
}

temp_bitmap() { find "$WINEPREFIX/drive_c/users" -name tmpPictorn.bmp | head -n 1; }
has_temp_bitmap() { [[ -n "$(temp_bitmap)" ]]; }

phase_1080() {
    wine_env_install_trap
    wine_env_clone_prefix "$WORK/template" "$WORK/prefix-1080" || exit 90
    wine_env_export "$WORK/prefix-1080"
    bench_start_display 1920x1080 || exit 91
    wine_env_prewarm
    display -window root -resize '1920x1080!' "$CORPUS" </dev/null >/dev/null 2>&1

    start_pictorn || exit 92
    driver post-command "$TITLE" 1012 # warm-up; also creates the data folder
    wine_env_poll 30 has_temp_bitmap || exit 93
    local temp
    temp=$(temp_bitmap)
    driver wait-window "$TITLE" 30000
    local shown
    shown=$(time_captures "$(winpath "$temp")" "$RUNS") || exit 94
    echo "a) capture to picture shown (1920x1080, bmp written, window back): median" \
        "$(median <<<"$shown") ms  [runs: $(echo $shown)]"
    stop_pictorn

    mkdir -p "$WORK/shots"
    start_pictorn AutoSave 1 DefaultFolder "$(winpath "$WORK/shots")" Extension 4 \
        Prefix Bench_ || exit 95
    local saved
    saved=$(time_captures "$(winpath "$WORK/shots")" "$RUNS") || exit 96
    echo "b) capture to auto-saved PNG (1920x1080): median $(median <<<"$saved") ms" \
        " [runs: $(echo $saved)]; PNG $(ls -l "$WORK"/shots/*.png | awk 'NR == 1 {print $5}') bytes"
    stop_pictorn

    if command -v scrot >/dev/null; then
        local i t0 t1 times=()
        for ((i = 0; i < RUNS; i++)); do
            t0=$(date +%s%N)
            scrot -o "$WORK/scrot.png" </dev/null >/dev/null 2>&1
            t1=$(date +%s%N)
            times+=($(((t1 - t0) / 1000000)))
        done
        echo "   scrot writing a PNG of the same display: median" \
            "$(printf '%s\n' "${times[@]}" | median) ms  [runs: ${times[*]}]"
    else
        echo "   scrot: not installed (apt-get install scrot to compare)"
    fi
}

phase_2160() {
    wine_env_install_trap
    wine_env_clone_prefix "$WORK/template" "$WORK/prefix-2160" || exit 90
    wine_env_export "$WORK/prefix-2160"
    bench_start_display 3840x2160 || exit 91
    wine_env_prewarm
    display -window root -resize '3840x2160!' "$CORPUS" </dev/null >/dev/null 2>&1
    mkdir -p "$WORK/shots-4k"
    start_pictorn AutoSave 1 DefaultFolder "$(winpath "$WORK/shots-4k")" Extension 4 \
        Prefix Bench_ || exit 92
    local pid before after raw=$((3840 * 2160 * 4))
    pid=$(pictorn_linux_pid) || exit 93
    before=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status")
    driver time-capture "$TITLE" 1012 "$(winpath "$WORK/shots-4k")" 120000 || exit 94
    local ms
    ms=$(field file_ms)
    after=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status")
    awk -v b="$before" -v a="$after" -v raw="$raw" -v ms="$ms" 'BEGIN {
        printf "c) 3840x2160 capture + PNG auto-save (%d ms): peak RSS %.1f MB before, %.1f MB after;", ms, b / 1024, a / 1024
        printf " growth %.1f MB = %.2f x the raw frame (%.1f MB); target <= 3x\n", (a - b) / 1024, (a - b) * 1024 / raw, raw / 1048576
    }'
    stop_pictorn
}

main() {
    rm -rf "$WORK"
    mkdir -p "$WORK"
    wine_env_template "$WORK/template" >"$WORK/template.log" 2>&1 || {
        log "no Wine prefix: $(tail -n 5 "$WORK/template.log")"
        exit 1
    }
    log "load before: $(cut -d ' ' -f 1-3 /proc/loadavg); logs in $WORK"
    (phase_1080) || log "1920x1080 phase failed ($?); see $WORK"
    (phase_2160) || log "3840x2160 phase failed ($?); see $WORK"
    log "load after: $(cut -d ' ' -f 1-3 /proc/loadavg)"
}

main "$@"
