#!/usr/bin/env bash
# Builds pictorn.exe and runs it under Wine.
#
# With a DISPLAY, Pictorn appears on it. Without one, a private X display is started,
# a screenshot is saved once the main window is up, and its file name is printed.
# Either way the script runs until Pictorn ends or Ctrl+C, then stops what it started.
#
# The Wine prefix is kept between runs (settings survive): $PICTORN_WINE_PREFIX, by
# default ~/.local/share/pictorn-wine.
set -u -o pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=SCRIPTDIR/setup.sh
source "$ROOT/scripts/setup.sh"
# shellcheck source=SCRIPTDIR/wine-env.sh
source "$ROOT/scripts/wine-env.sh"

PREFIX="${PICTORN_WINE_PREFIX:-$HOME/.local/share/pictorn-wine}"
EXE="$PICTORN_BUILD/win/src/pictorn.exe"
RUN_DIR="$PICTORN_BUILD/run"

main_window_up() { xdotool search --onlyvisible --name '^Pictorn$' >/dev/null 2>&1; }

# The window is mapped before it has painted: a screenshot counts once it equals the last.
screen_settled() {
    import -window root "$SHOT.next.png" 2>/dev/null || return 1
    if [[ -f "$SHOT" ]] && cmp -s "$SHOT" "$SHOT.next.png"; then
        rm -f "$SHOT.next.png"
        return 0
    fi
    mv "$SHOT.next.png" "$SHOT"
    return 1
}

main() {
    setup_packages || return 1
    setup_build win pictorn || return 1
    mkdir -p "$RUN_DIR"

    if [[ ! -e "$PREFIX/system.reg" ]]; then
        echo "Creating the Wine prefix $PREFIX ..."
        wine_env_create_prefix "$PREFIX" || return 1
    fi
    wine_env_export "$PREFIX"
    wine_env_install_trap

    local headless=""
    if [[ -z "${DISPLAY:-}" ]]; then
        headless=1
        wine_env_start_display "$RUN_DIR/x" || return 1
        echo "No DISPLAY: started a private X display $DISPLAY"
    fi
    wine_env_prewarm

    wine "$EXE" </dev/null >"$RUN_DIR/pictorn.log" 2>&1 &
    local pid=$!
    WINE_ENV_PIDS+=("$pid")
    echo "Pictorn started (pid $pid, log $RUN_DIR/pictorn.log)"

    if [[ -n "$headless" ]]; then
        if ! wine_env_poll 30 main_window_up; then
            echo "The Pictorn window did not appear within 30 s" >&2
            return 1
        fi
        SHOT="$RUN_DIR/screenshot-$(date +%Y%m%d-%H%M%S).png"
        wine_env_poll 5 screen_settled
        rm -f "$SHOT.next.png"
        echo "Screenshot: $SHOT"
    fi
    echo "Running; press Ctrl+C to stop."
    wait "$pid"
}

main "$@"
