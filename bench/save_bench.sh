#!/usr/bin/env bash
# Save As benchmark of the real pictorn.exe under Wine, run by hand (not by CI):
#
#   bench/save_bench.sh [windows-build-folder] [picture]
#
# A 7680x4320 private Xvfb shows the picture (by default photo_1920.png of $PICTORN_CORPUS,
# else ../shared/corpus, stretched: many colours, the slow case for GIF and PNG); the
# program captures it and then saves it with Save As in every type, through its file dialog
# as a user does. From the click on the dialog's Save button until the file exists, the
# main window is sent WM_NULL about every 10 ms (e2e_driver time-save); printed per type:
# the longest wait for an answer against the 100 ms target, the same for the second before
# the click (the machine's own delays, idle in the dialog), the write time, and from the
# program's stage log the time its window thread spent after the dialog closed (queuing the
# write) and on the result (the preferences stored). The load
# average is printed with the figures. PICTORN_SAVE_TYPES="png gif" picks (or repeats) types.
set -u -o pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PICTURE="${2:-${PICTORN_CORPUS:-$ROOT/../shared/corpus}/photo_1920.png}"
# shellcheck source=SCRIPTDIR/program_bench.sh
source "$ROOT/bench/program_bench.sh" "${1:-$ROOT/build/win}" save-bench "$PICTURE"
WIDTH=7680
HEIGHT=4320
TARGET_MS=100
TYPES="${PICTORN_SAVE_TYPES:-bmp gif jpg pcx png psd tif}"
STAGES="$WORK/stages.log"

temp_bitmap() { find "$WINEPREFIX/drive_c/users" -name tmpPictorn.bmp | head -n 1; }
has_temp_bitmap() { [[ -n "$(temp_bitmap)" ]]; }
told() { grep -q 'save as: told' "$STAGES"; }
main_shown() { driver wait-window Pictorn 100; }
dialog_ready() { driver set-child-text --pid "$WIN_PID" Save 0x47C "$1"; }

# save_as <extension>: one Save As through the dialog, timed; prints the figures line.
save_as() {
    local extension="$1" target="$WORK/saved/picture.$1"
    rm -f "$target"
    driver post-command Pictorn 1002 || {
        log "$extension: Save As could not be posted"
        return 1
    }
    driver wait-window Save '#32770' 60000 || {
        log "$extension: no Save dialog"
        return 1
    }
    WIN_PID=$(field pid)
    # The name field is filled once the dialog has finished setting itself up.
    wine_env_poll 60 dialog_ready "$(winpath "$target")" || {
        log "$extension: the dialog's name field took no text"
        return 1
    }
    driver time-save --hidden --pid "$WIN_PID" Pictorn Save "$(winpath "$target")" 600000 || {
        log "$extension: $(tail -n 1 "$WORK/driver.err")"
        return 1
    }
    local stall write idle verdict=ok ui
    stall=$(field stall_ms)
    write=$(field write_ms)
    idle=$(field idle_stall_ms)
    ((stall > TARGET_MS)) && verdict=OVER
    wine_env_poll 30 told
    ui=$(awk -F '\t' '{ sub(/\r$/, "") } $2 == "save as: dialog closed" { t = $1 }
        $2 == "save as: command done" { c = $1 } $2 == "save as: told" { printf "%.1f + %.1f", c - t, $1 - w }
        $2 ~ /^write ended/ { w = $1 }' "$STAGES" | tail -n 1)
    : >"$STAGES"
    printf '   %-4s longest stall %4d ms (target <= %d ms: %s; idle in the dialog %d ms), write %5d ms, %s bytes; on the window thread %s ms\n' \
        "$extension" "$stall" "$TARGET_MS" "$verdict" "$idle" "$write" "$(stat -c %s "$target")" "$ui"
    echo "$extension $(cat "$WORK/driver.out")" >>"$WORK/runs.log"
    wine_env_poll 30 main_shown
}

run() {
    wine_env_install_trap
    WINE_ENV_SCREEN="${WIDTH}x$HEIGHT" wine_env_session "$WORK/template" "$WORK/prefix" "$WORK/x" ||
        exit 91
    display -window root -resize "${WIDTH}x$HEIGHT!" "$PICTURE" </dev/null >/dev/null 2>&1
    mkdir -p "$WORK/saved"
    wine reg add "$KEY" /v PlaySound /t REG_SZ /d 0 /f </dev/null >/dev/null 2>&1
    PICTORN_STAGE_LOG="$(winpath "$STAGES")" wine "$PICTORN" </dev/null >>"$WORK/pictorn.log" 2>&1 &
    WINE_ENV_PIDS+=("$!")
    driver wait-window Pictorn 60000 || exit 92
    driver post-command Pictorn 1012
    wine_env_poll 120 has_temp_bitmap || exit 93
    driver wait-window Pictorn 60000 || exit 94
    echo "Save As of a ${WIDTH}x$HEIGHT capture of $(basename "$PICTURE"), each type once:"
    local extension
    for extension in $TYPES; do
        save_as "$extension" || log "$extension: Save As failed; see $WORK"
    done
}

main() {
    rm -rf "$WORK"
    mkdir -p "$WORK"
    wine_env_template "$WORK/template" >"$WORK/template.log" 2>&1 || {
        log "no Wine prefix: $(tail -n 5 "$WORK/template.log")"
        exit 1
    }
    echo "load average before: $(cut -d ' ' -f 1-3 /proc/loadavg) (2 cores); logs in $WORK"
    (run) || log "the run failed ($?); see $WORK"
    echo "load average after: $(cut -d ' ' -f 1-3 /proc/loadavg)"
}

main "$@"
