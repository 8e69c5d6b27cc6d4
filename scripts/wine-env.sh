# shellcheck shell=bash
# Wine prefix and private X display helpers; source this file, do not run it.
#
# Everything started here is recorded by process id and stopped by wine_env_cleanup, which
# wine_env_install_trap hooks to EXIT, INT and TERM. Nothing is ever stopped by name, so
# other Wine sessions and displays on the same machine are left alone.
#
# Wine programs must never write into a pipe: Wine's background services inherit it and a
# reader then waits for seconds or forever. Redirect their output to files.

WINE_ENV_PIDS=()     # processes to stop, in start order
WINE_ENV_PREFIXES=() # prefixes whose wineserver must be killed
WINE_ENV_XVFB_PID=""
WINE_ENV_XVFB_NUMBER=""

wine_env_log() { echo "[wine-env] $*" >&2; }

# Environment every Wine call of ours runs with.
wine_env_export() {
    export WINEPREFIX="$1"
    # Wine's report of a process it could not start stays on (see wine_env_run_logged).
    export WINEDEBUG=-all,err+virtual
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
}

# Waits until "$@" succeeds or the deadline ($1 whole seconds) passes, checking every 50 ms.
wine_env_poll() {
    local deadline=$(($(date +%s%3N) + $1 * 1000))
    shift
    until "$@"; do
        (($(date +%s%3N) < deadline)) || return 1
        sleep 0.05
    done
}

wine_env_x_answers() { DISPLAY="$1" xwininfo -root >/dev/null 2>&1; }

wine_env_stamp() { wine --version 2>/dev/null || echo unknown; }

# Creates a prefix in folder $1 (removed first if it exists), with Wine's fonts installed so
# that title bars render readable glyphs in screenshots.
wine_env_create_prefix() {
    local prefix="$1"
    rm -rf "$prefix"
    mkdir -p "$(dirname "$prefix")"
    (
        wine_env_export "$prefix"
        wineboot -i </dev/null >"$prefix.wineboot.log" 2>&1
        wineserver -w
    ) || return 1
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
    wine_env_stamp >"$prefix/.pictorn-stamp"
}

# Makes sure a template prefix exists at $1 for the installed Wine version; reused across
# runs because creating one costs several seconds.
wine_env_template() {
    local template="$1"
    if [[ -f "$template/.pictorn-stamp" && "$(cat "$template/.pictorn-stamp")" == "$(wine_env_stamp)" ]]; then
        return 0
    fi
    wine_env_log "creating Wine template prefix $template"
    wine_env_create_prefix "$template"
}

# Fresh prefix $2 cloned from template $1. The 600 MB of system DLLs are hard links (Wine
# never writes them); everything Wine does write (registry, windows, users) is a real copy.
wine_env_clone_prefix() {
    local template="$1" prefix="$2"
    rm -rf "$prefix"
    mkdir -p "$prefix"
    tar -C "$template" --exclude=./drive_c/windows/system32 -cf - . | tar -C "$prefix" -xf - || return 1
    cp -al "$template/drive_c/windows/system32" "$prefix/drive_c/windows/"
}

# Starts the wineserver of the current WINEPREFIX and warms it up, so later Wine calls start
# fast and no background service holds on to a caller's output.
wine_env_prewarm() {
    WINE_ENV_PREFIXES+=("$WINEPREFIX")
    wineserver -p
    wine_env_run_logged "$WINEPREFIX.prewarm.log" wine wineboot
}

wine_env_display_free() {
    [[ ! -e "/tmp/.X11-unix/X$1" && ! -e "/tmp/.X$1-lock" ]]
}

wine_env_wm_ready() { xprop -display "$DISPLAY" -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# Starts Xvfb on the first free display from :$2 up (and no further than :189), of the size
# WINE_ENV_SCREEN (default 1280x800); exports DISPLAY and sets WINE_ENV_XVFB_NUMBER.
wine_env_start_xvfb() {
    local logdir="$1" n pid
    for ((n = $2; n < 190; n++)); do
        wine_env_display_free "$n" || continue
        Xvfb ":$n" -screen 0 "${WINE_ENV_SCREEN:-1280x800}x24" -nolisten tcp >>"$logdir/xvfb.log" 2>&1 &
        pid=$!
        # Another session may have taken the number meanwhile; Xvfb then exits at once.
        # The socket appears before the server accepts clients: wait until one can talk to it.
        if wine_env_poll 10 test -S "/tmp/.X11-unix/X$n" && kill -0 "$pid" 2>/dev/null &&
            wine_env_poll 10 wine_env_x_answers ":$n"; then
            WINE_ENV_XVFB_PID=$pid
            WINE_ENV_XVFB_NUMBER=$n
            WINE_ENV_PIDS+=("$pid")
            export DISPLAY=":$n"
            return 0
        fi
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    return 1
}

wine_env_stop_pid() {
    local pid="$1" kept=() p
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    for p in "${WINE_ENV_PIDS[@]}"; do
        [[ "$p" == "$pid" ]] || kept+=("$p")
    done
    WINE_ENV_PIDS=("${kept[@]}")
}

# Ready, or gone: a window manager that could not open the display ends at once.
wine_env_wm_settled() { wine_env_wm_ready || ! kill -0 "$1" 2>/dev/null; }

# Starts openbox on $DISPLAY. On a busy machine openbox has once failed to open a display
# that had just answered, and a second start worked: it gets three tries.
wine_env_start_wm() {
    local logdir="$1" try pid
    for ((try = 0; try < 3; try++)); do
        openbox --sm-disable >>"$logdir/openbox.log" 2>&1 &
        pid=$!
        WINE_ENV_PIDS+=("$pid")
        wine_env_poll 10 wine_env_wm_settled "$pid" && wine_env_wm_ready && return 0
        wine_env_stop_pid "$pid"
    done
    return 1
}

# Starts Xvfb on the first free display from :90 up and openbox on it; exports DISPLAY.
# When openbox will not come up, the display is given up and the next one tried.
# Output of both goes to files in folder $1.
wine_env_start_display() {
    local logdir="$1" first=90 attempt
    mkdir -p "$logdir"
    for ((attempt = 0; attempt < 3; attempt++)); do
        if ! wine_env_start_xvfb "$logdir" "$first"; then
            wine_env_log "no free X display could be started"
            return 1
        fi
        wine_env_start_wm "$logdir" && return 0
        wine_env_log "openbox did not come up on $DISPLAY"
        wine_env_stop_pid "$WINE_ENV_XVFB_PID"
        WINE_ENV_XVFB_PID=""
        first=$((WINE_ENV_XVFB_NUMBER + 1))
    done
    return 1
}

# What a bench script does first: stops with a message when its program $1 is missing, makes
# its work folder $2, hooks wine_env_cleanup and makes the template prefix $2/template.
wine_env_bench_prepare() {
    [[ -f "$1" ]] || {
        echo "missing $1" >&2
        return 2
    }
    mkdir -p "$2"
    wine_env_install_trap
    wine_env_template "$2/template"
}

# A private session for one run: prefix $2, a fresh clone of template $1, exported; a display
# of WINE_ENV_SCREEN with openbox (their logs in folder $3); the wineserver warmed up.
# wine_env_cleanup ends it.
wine_env_session() {
    wine_env_clone_prefix "$1" "$2" || return 1
    wine_env_export "$2"
    wine_env_start_display "$3" || return 1
    wine_env_prewarm
}

# Runs "$@" with its output in file $1; runs it again when Wine could not start it. Wine as
# Debian builds it (no preloader) now and then cannot put the page every Windows process
# shares with the system at its fixed address, as Linux laid the address space out at
# random: about one start in a thousand ends with 1 before any Windows code runs.
wine_env_run_logged() {
    local log="$1" attempt status
    shift
    for ((attempt = 0; attempt < 3; attempt++)); do
        "$@" </dev/null >"$log" 2>&1
        status=$?
        if ((status == 0)) || ! grep -q "failed to map the shared user data" "$log"; then
            break
        fi
        wine_env_log "Wine could not start: $*; starting it again"
    done
    return "$status"
}

# Stops, by process id, everything started through these helpers; safe to call twice.
wine_env_cleanup() {
    local prefix pid i
    for prefix in "${WINE_ENV_PREFIXES[@]}"; do
        WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
    done
    WINE_ENV_PREFIXES=()
    for ((i = ${#WINE_ENV_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${WINE_ENV_PIDS[i]}
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    WINE_ENV_PIDS=()
    WINE_ENV_XVFB_PID=""
}

wine_env_install_trap() {
    trap wine_env_cleanup EXIT
    trap 'wine_env_cleanup; trap - INT; kill -INT $BASHPID' INT
    trap 'wine_env_cleanup; trap - TERM; kill -TERM $BASHPID' TERM
}
