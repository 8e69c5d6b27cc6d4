#!/usr/bin/env bash
# Capture benchmark of the real pictorn.exe under Wine on a private Xvfb display, run by hand
# (not by CI):
#
#   bench/capture_bench.sh [windows-build-folder] [runs]
#
# The screen shows the corpus picture ui_1920.png (from $PICTORN_CORPUS, by default the
# corpus folder beside the repository: ../shared/corpus). Measured, median of [runs]
# (default 7) each:
#   a) capture to picture shown: from posting "Capture Full Screen" with the window on the
#      screen until the window is back with the new picture (auto-save off); the temporary
#      bitmap being whole is given beside it;
#   t) the same started by the full-screen hotkey while the program sits in the tray;
#   b) capture to auto-saved PNG: until the time-stamped PNG is whole;
#   scrot writing a PNG of the same display in the same run (apt-get install scrot; it is
#   not part of the CI packages): every time figure is also given as a ratio to it;
#   under each of a, t and b: the median time from the capture command to each stage inside
#   the program (PICTORN_STAGE_LOG);
#   c) peak memory (VmHWM of the Wine process that runs pictorn.exe) before and after one
#      3840x2160 capture with PNG auto-save, against the raw frame (3840 x 2160 x 4 bytes).
# The times come from e2e_driver's time-capture, which polls inside Wine every 2 ms. The
# machine's load average is printed with the figures: on a busy machine they are not the
# program's.
set -u -o pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RUNS="${2:-7}"
CORPUS="${PICTORN_CORPUS:-$ROOT/../shared/corpus}/ui_1920.png"
# shellcheck source=SCRIPTDIR/program_bench.sh
source "$ROOT/bench/program_bench.sh" "${1:-$ROOT/build/win}" capture-bench "$CORPUS"
STARTS=0

median() { sort -n | awk '{v[NR] = $1} END {if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }

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
    # Started minimized into the tray, the window may never be shown: it only has to exist.
    local seen=()
    [[ " $* " == *" StartMinimized 1 "* ]] && seen=(--hidden)
    wine reg delete "$KEY" /f </dev/null >/dev/null 2>&1
    wine reg add "$KEY" /v PlaySound /t REG_SZ /d 0 /f </dev/null >/dev/null 2>&1
    while (($# >= 2)); do
        wine reg add "$KEY" /v "$1" /t REG_SZ /d "$2" /f </dev/null >/dev/null 2>&1
        shift 2
    done
    STAGES="$WORK/stages-$(basename "$WINEPREFIX")-$((++STARTS)).log"
    PICTORN_STAGE_LOG="$(winpath "$STAGES")" wine "$PICTORN" </dev/null >>"$WORK/pictorn.log" 2>&1 &
    PICTORN_PID=$!
    WINE_ENV_PIDS+=("$PICTORN_PID")
    driver wait-window "${seen[@]}" "$TITLE" 60000 || {
        log "the main window did not appear"
        return 1
    }
}

stop_pictorn() {
    # --hidden: the window may be in the tray.
    driver close --hidden "$TITLE"
    driver wait-gone --hidden "$TITLE" 20000 || kill "$PICTORN_PID" 2>/dev/null
    wait "$PICTORN_PID" 2>/dev/null
}

# time_captures <command> <watched file or folder> <runs> <file|visible> [between]: prints one
# time (ms) per run; "between" is run after each capture (putting the window back into the
# tray). Each run's figures go to runs.log.
time_captures() {
    local command="$1" watched="$2" runs="$3" which="$4" between="${5:-}" i file_ms visible_ms
    for ((i = 0; i < runs; i++)); do
        driver time-capture --hidden "$TITLE" "$command" "$watched" 60000 || {
            log "capture $i timed out: $(cat "$WORK/driver.err")"
            return 1
        }
        file_ms=$(field file_ms)
        visible_ms=$(field visible_ms)
        if [[ $which == file ]]; then echo "$file_ms"; else echo "$visible_ms"; fi
        echo "$command $i file=$file_ms visible=$visible_ms" >>"$WORK/runs.log"
        if [[ -n "$between" ]]; then
            $between || return 1
        fi
    done
}

# Minimizes the main window as the user does; with the tray option on it goes into the tray.
# The window manager may miss a request while the window is still being shown: ask again.
to_tray() { wine_env_poll 10 minimize_once; }
minimize_once() {
    local id
    id=$(xdotool search --name "^$TITLE\$" 2>/dev/null | head -n 1)
    [[ -n "$id" ]] && xdotool windowminimize "$id" 2>/dev/null
    sleep 0.2
    main_hidden
}
main_hidden() {
    driver list-windows "$TITLE"
    ! grep -q . "$WORK/driver.out"
}

# stage_summary: where the time of the captures of the program started last went, from its
# stage log: the median time from the capture command to each stage (a write by the type
# it writes), in the order they first came.
stage_summary() {
    [[ -s "$STAGES" ]] || return 0
    local name values
    awk -F '\t' '
        { sub(/\r$/, "") }
        $2 == "capture command" { start = $1; n++; next }
        n > 0 {
            name = $2; sub(/: .*\./, ": ", name)
            if (!(name in seen)) { seen[name] = 1; order[++k] = name }
            vals[name] = vals[name] " " ($1 - start)
        }
        END { for (i = 1; i <= k; i++) print order[i] "\t" vals[order[i]] }' "$STAGES" |
        while IFS=$'\t' read -r name values; do
            printf '      %-36s %6.1f ms\n' "$name" "$(tr ' ' '\n' <<<"$values" | grep . | median)"
        done
}

# ratio <ms> <scrot ms>: "= 1.23 x scrot"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "= %.2f x scrot", a / b; else printf "(no scrot figure)" }'; }

temp_bitmap() { find "$WINEPREFIX/drive_c/users" -name tmpPictorn.bmp | head -n 1; }
has_temp_bitmap() { [[ -n "$(temp_bitmap)" ]]; }

phase_1080() {
    wine_env_install_trap
    WINE_ENV_SCREEN=1920x1080 wine_env_session "$WORK/template" "$WORK/prefix-1080" "$WORK/x-1080" || exit 91
    display -window root -resize '1920x1080!' "$CORPUS" </dev/null >/dev/null 2>&1

    local scrot_ms=0 times=() i t0 t1
    if command -v scrot >/dev/null; then
        for ((i = 0; i < RUNS; i++)); do
            t0=$(date +%s%N)
            scrot -o "$WORK/scrot.png" </dev/null >/dev/null 2>&1
            t1=$(date +%s%N)
            times+=($(((t1 - t0) / 1000000)))
        done
        scrot_ms=$(printf '%s\n' "${times[@]}" | median)
        echo "   scrot writing a PNG of the same display: median $scrot_ms ms  [runs: ${times[*]}]"
    else
        echo "   scrot: not installed (apt-get install scrot to compare)"
    fi

    start_pictorn || exit 92
    driver post-command "$TITLE" 1012 # warm-up; also creates the data folder
    wine_env_poll 30 has_temp_bitmap || exit 93
    local temp
    temp=$(temp_bitmap)
    driver wait-window "$TITLE" 30000
    local shown files
    shown=$(time_captures 1012 "$(winpath "$temp")" "$RUNS" visible) || exit 94
    files=$(awk '/^1012 / {sub("file=", "", $3); print $3}' "$WORK/runs.log" | median)
    echo "a) capture to picture shown (1920x1080, window on the screen): median" \
        "$(median <<<"$shown") ms $(ratio "$(median <<<"$shown")" "$scrot_ms")" \
        " [runs: $(echo $shown)]; temporary bitmap whole: median $files ms"
    stage_summary
    stop_pictorn

    start_pictorn SystemTray 1 StartMinimized 1 || exit 95
    driver wait-window --hidden "$TITLE" 30000
    driver time-capture --hidden "$TITLE" hotkey:1 "$(winpath "$temp")" 60000 # warm-up
    to_tray || {
        log "the window did not go into the tray"
        exit 95
    }
    local tray
    tray=$(time_captures hotkey:1 "$(winpath "$temp")" "$RUNS" visible to_tray) || exit 96
    echo "t) capture to picture shown, hotkey from the tray (1920x1080): median" \
        "$(median <<<"$tray") ms $(ratio "$(median <<<"$tray")" "$scrot_ms")  [runs: $(echo $tray)]"
    stage_summary
    stop_pictorn

    mkdir -p "$WORK/shots"
    start_pictorn AutoSave 1 DefaultFolder "$(winpath "$WORK/shots")" Extension 4 \
        Prefix Bench_ || exit 97
    local saved
    saved=$(time_captures 1012 "$(winpath "$WORK/shots")" "$RUNS" file) || exit 98
    echo "b) capture to auto-saved PNG (1920x1080): median $(median <<<"$saved") ms" \
        "$(ratio "$(median <<<"$saved")" "$scrot_ms")  [runs: $(echo $saved)];" \
        "PNG $(ls -l "$WORK"/shots/*.png | awk 'NR == 1 {print $5}') bytes"
    stage_summary
    stop_pictorn
}

phase_2160() {
    wine_env_install_trap
    WINE_ENV_SCREEN=3840x2160 wine_env_session "$WORK/template" "$WORK/prefix-2160" "$WORK/x-2160" || exit 91
    display -window root -resize '3840x2160!' "$CORPUS" </dev/null >/dev/null 2>&1
    mkdir -p "$WORK/shots-4k"
    start_pictorn AutoSave 1 DefaultFolder "$(winpath "$WORK/shots-4k")" Extension 4 \
        Prefix Bench_ || exit 92
    local pid before after raw=$((3840 * 2160 * 4))
    pid=$(pictorn_linux_pid) || exit 93
    before=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status")
    driver time-capture "$TITLE" 1012 "$(winpath "$WORK/shots-4k")" 120000 || exit 94
    # The growth is read once the worker is done and the window is back.
    sleep 1
    local ms
    ms=$(field file_ms)
    after=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status")
    awk -v b="$before" -v a="$after" -v raw="$raw" -v ms="$ms" 'BEGIN {
        printf "c) 3840x2160 capture + PNG auto-save (%d ms): peak RSS %.1f MB before, %.1f MB after;", ms, b / 1024, a / 1024
        printf " growth %.1f MB = %.2f x the raw frame (%.1f MB); target <= 1.5x\n", (a - b) / 1024, (a - b) * 1024 / raw, raw / 1048576
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
    echo "load average before: $(cut -d ' ' -f 1-3 /proc/loadavg) (2 cores); logs in $WORK"
    (phase_1080) || log "1920x1080 phase failed ($?); see $WORK"
    (phase_2160) || log "3840x2160 phase failed ($?); see $WORK"
    echo "load average after: $(cut -d ' ' -f 1-3 /proc/loadavg)"
}

main "$@"
