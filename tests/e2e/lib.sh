# Shared by the end-to-end scripts: a private X display, a throw-away Wine prefix, the test driver,
# the programs started by a script, and the cleanup that ends exactly those.
#
# Session: CTest's fixture (session.sh start/stop) makes one display and one booted prefix per
# ctest run and names its folder in OB_E2E_STATE; a script run by hand makes its own and removes it
# at exit. wineboot costs about ten seconds, so the shared one matters.
#
# Focus under Wine without a window manager: each top-level window is its own X window, and when a
# program hides the foreground window it stays the foreground window (GetForegroundWindow keeps
# returning the hidden one), which Windows never does. A Wine virtual desktop (registry value
# HKCU\Software\Wine\Explorer "Desktop" naming a size under ...\Explorer\Desktops) puts every
# window inside one X window that Wine manages itself; there, hiding the foreground window
# activates the next one and SetForegroundWindow from another process works, as on Windows.
# So every session uses the virtual desktop "obtest" (1024x768).
#
# Checked under Wine 8.0: GetProcessHandleCount always reports 0; GetSystemMenu on another
# process's window fails, so the driver reads the system menu from inside the owner (obprobe.dll).

set -euo pipefail

OB_E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
OB_DESKTOP_NAME=obtest
OB_DESKTOP_SIZE=1024x768

export WINEDEBUG=-all
# No menu entries or file associations written into $HOME by the throw-away prefixes.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
# Wine converts command lines and output through the Unix locale: keep non-ASCII text intact.
export LC_ALL=C.UTF-8

ob_log() { echo "[$(date +%H:%M:%S)] $*" >&2; }

# --- display and prefix ---------------------------------------------------------------------

# Starts Xvfb on the first free display from a random point of :100-:899, so runs side by side
# do not collide; a display is taken when our own Xvfb is still alive and answers.
ob_start_xvfb() {
    local log=$1 start display pid tries
    start=$((100 + RANDOM % 800))
    for ((tries = 0; tries < 50; tries++)); do
        display=$((100 + (start - 100 + tries) % 800))
        [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]] && continue
        Xvfb ":$display" -screen 0 "${OB_DESKTOP_SIZE}x24" -nolisten tcp </dev/null >>"$log" 2>&1 &
        pid=$!
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            if xdpyinfo -display ":$display" >/dev/null 2>&1; then
                OB_XVFB_PID=$pid
                OB_DISPLAY=":$display"
                return 0
            fi
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    ob_log "no free X display found"
    return 1
}

# Makes a session in folder $1: display, booted prefix with the virtual desktop, env file. The env
# file is written as soon as Xvfb runs, so a failure further on can still be cleaned up.
ob_session_create() {
    local dir=$1
    mkdir -p "$dir/prefix"
    ob_start_xvfb "$dir/xvfb.log"
    cat >"$dir/env" <<EOF
OB_SESSION_DISPLAY=$OB_DISPLAY
OB_SESSION_PREFIX=$dir/prefix
OB_SESSION_XVFB_PID=$OB_XVFB_PID
EOF
    export DISPLAY=$OB_DISPLAY WINEPREFIX=$dir/prefix
    # A persistent server, started here with its output in a file, outlives each wine call and
    # holds no pipe of the caller (CTest waits for those to close).
    wineserver -p </dev/null >>"$dir/wine.log" 2>&1
    wineboot -i </dev/null >>"$dir/wine.log" 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$OB_DESKTOP_NAME" /f >>"$dir/wine.log" 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$OB_DESKTOP_NAME" /d "$OB_DESKTOP_SIZE" /f \
        >>"$dir/wine.log" 2>&1
}

# Ends what ob_session_create started in folder $1 (only that Xvfb, only that prefix's server).
ob_session_destroy() {
    local dir=$1
    [[ -f $dir/env ]] || return 0
    local OB_SESSION_DISPLAY="" OB_SESSION_PREFIX="" OB_SESSION_XVFB_PID=""
    # shellcheck disable=SC1091
    source "$dir/env"
    if [[ -d $OB_SESSION_PREFIX ]]; then
        WINEPREFIX=$OB_SESSION_PREFIX wineserver -k 2>/dev/null || true
        WINEPREFIX=$OB_SESSION_PREFIX wineserver -w 2>/dev/null || true
    fi
    if [[ -n $OB_SESSION_XVFB_PID ]] && ob_is_our_xvfb "$OB_SESSION_XVFB_PID" "$OB_SESSION_DISPLAY"; then
        kill "$OB_SESSION_XVFB_PID" 2>/dev/null || true
        for _ in $(seq 30); do kill -0 "$OB_SESSION_XVFB_PID" 2>/dev/null || break; sleep 0.1; done
    fi
    rm -rf "$OB_SESSION_PREFIX" "$dir/env" "$dir/keeper.pid"
}

# A recorded pid may have been reused since; it is ours only if it is still Xvfb on our display.
ob_is_our_xvfb() {
    local pid=$1 display=$2 cmdline
    cmdline=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null) || return 1
    [[ $cmdline == Xvfb\ "$display"\ * ]]
}

ob_session_alive() {
    local dir=$1
    [[ -f $dir/env ]] || return 1
    local OB_SESSION_DISPLAY="" OB_SESSION_PREFIX="" OB_SESSION_XVFB_PID=""
    # shellcheck disable=SC1091
    source "$dir/env"
    ob_is_our_xvfb "$OB_SESSION_XVFB_PID" "$OB_SESSION_DISPLAY" && [[ -d $OB_SESSION_PREFIX ]]
}

# The virtual desktop (explorer.exe /desktop) ends a moment after the last program on it, and the next program
# waits for a new one: seconds on a loaded machine. Tests that come slower than that moment (the Win32 suite's,
# one short process each) would all pay it, so a hidden window of the test driver holds the desktop. A
# scenario's cleanup ends it with everything else in the prefix; the next suite test starts it again.
ob_keep_desktop() {
    local dir=$1 driver=$2 pid
    pid=$(cat "$dir/keeper.pid" 2>/dev/null) || pid=""
    if [[ -n $pid ]] && grep -qs ObSessionDesktopKeeper "/proc/$pid/cmdline"; then return 0; fi
    wine "$driver" create-window --title "" --class ObSessionDesktopKeeper --hidden </dev/null >>"$dir/wine.log" 2>&1 &
    echo $! >"$dir/keeper.pid"
}

# Joins the CTest session if there is a live one, otherwise makes a private one next to the driver.
ob_session_attach() {
    local dir=${OB_E2E_STATE:-}
    OB_OWN_SESSION=""
    if [[ -z $dir ]] || ! ob_session_alive "$dir"; then
        dir="$(dirname "$OB_DRIVER")/e2e-own-$$"
        ob_log "no shared session; making one in $dir"
        OB_OWN_SESSION=$dir
        ob_session_create "$dir"
    fi
    # shellcheck disable=SC1091
    source "$dir/env"
    export DISPLAY=$OB_SESSION_DISPLAY WINEPREFIX=$OB_SESSION_PREFIX
    OB_SESSION_DIR=$dir
}

# --- programs started by a script -----------------------------------------------------------

OB_PIDS=()

# Starts a Windows program in the background; its Unix pid (also the Wine process) goes to OB_PID.
ob_start() {
    local name=$1
    shift
    wine "$@" </dev/null >>"$OB_ARTIFACTS/$OB_TEST-$name.log" 2>&1 &
    OB_PID=$!
    OB_PIDS+=("$OB_PID")
    ob_log "started $name (pid $OB_PID): $*"
}

ob_alive() { kill -0 "$1" 2>/dev/null && [[ $(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) != Z ]]; }

# Waits up to $2 milliseconds for pid $1 to end; 0 when it did.
ob_wait_exit() {
    local pid=$1 deadline
    deadline=$(($(ob_now_ms) + $2))
    while ob_alive "$pid"; do
        (($(ob_now_ms) < deadline)) || return 1
        sleep 0.05
    done
    wait "$pid" 2>/dev/null || true
    return 0
}

ob_stop() {
    local pid=$1
    ob_alive "$pid" || { wait "$pid" 2>/dev/null || true; return 0; }
    kill -TERM "$pid" 2>/dev/null || true
    ob_wait_exit "$pid" 3000 || { kill -KILL "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
}

# Milliseconds since the epoch, for timing what the programs do.
ob_now_ms() { echo $(($(date +%s%N) / 1000000)); }

# --- the driver -----------------------------------------------------------------------------

# Runs obdriver; its output on stdout, its exit code as the function's. A hung call is ended. The driver's own
# answers are 0-4; any other code comes from Wine or the timeout and is logged with the call, as the scenario may
# stop on it without a word from the driver.
drv() {
    local status=0
    timeout -k 5 60 wine "$OB_DRIVER" "$@" </dev/null || status=$?
    if ((status > 4)); then ob_log "the driver call ended with $status, not one of its answers: $*"; fi
    return "$status"
}

# ob_poll MS COMMAND...: retries the command every 100 ms until it succeeds or MS ms have passed.
ob_poll() {
    local deadline=$(($(ob_now_ms) + $1))
    shift
    until "$@"; do
        (($(ob_now_ms) < deadline)) || return 1
        sleep 0.1
    done
}

# ob_output_is EXPECTED COMMAND...: the command prints exactly EXPECTED (for use with ob_poll).
ob_output_is() {
    local expected=$1 actual
    shift
    actual=$("$@" 2>/dev/null) || true
    [[ $actual == "$expected" ]]
}

# Windows path of a Unix file, as the programs see their own location.
ob_winpath() { winepath -w "$1" 2>/dev/null; }

# --- results --------------------------------------------------------------------------------

ob_screenshot() {
    local file="$OB_ARTIFACTS/$OB_TEST-failure.png"
    if import -display "$DISPLAY" -window root "$file" 2>/dev/null; then
        ob_log "screenshot: $file"
    fi
}

ob_fail() {
    echo "FAIL [$OB_TEST]: $*" >&2
    echo "windows at the time of failure:" >&2
    drv list-windows >&2 || true
    ob_screenshot
    OB_SCREENSHOT_TAKEN=1
    exit 1
}

ob_expect_eq() {
    local what=$1 expected=$2 actual=$3
    [[ $actual == "$expected" ]] || ob_fail "$what: expected '$expected', got '$actual'"
    ob_log "ok: $what"
}

# ob_expect WHAT COMMAND...: the command must succeed.
ob_expect() {
    local what=$1
    shift
    "$@" >/dev/null || ob_fail "$what (failed: $*)"
    ob_log "ok: $what"
}

ob_cleanup() {
    local status=$?
    trap - EXIT
    if ((status != 0)) && [[ -z ${OB_SCREENSHOT_TAKEN:-} && -n ${DISPLAY:-} ]]; then ob_screenshot; fi
    local pid
    for pid in "${OB_PIDS[@]}"; do ob_stop "$pid"; done
    if [[ -n ${OB_AT_EXIT:-} ]]; then "$OB_AT_EXIT" || ob_log "the exit step '$OB_AT_EXIT' failed"; fi
    if [[ -n ${WINEPREFIX:-} ]]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    if [[ -n ${OB_OWN_SESSION:-} ]]; then
        ob_session_destroy "$OB_OWN_SESSION"
        rmdir "$OB_OWN_SESSION" 2>/dev/null || rm -rf "$OB_OWN_SESSION"
    fi
    if ((status == 0)); then echo "PASS [$OB_TEST]"; fi
    exit "$status"
}

# ob_at_exit FUNCTION: run at the scenario's end, passed or failed, once its programs have ended; for stored state
# that would change the scenarios after it.
ob_at_exit() { OB_AT_EXIT=$1; }

# ob_begin PROGRAM DRIVER: every scenario's first call.
ob_begin() {
    if (($# < 2)); then
        echo "usage: $0 <obelon7.exe> <obdriver.exe>" >&2
        exit 2
    fi
    OB_PROGRAM=$(realpath "$1")
    OB_DRIVER=$(realpath "$2")
    OB_TEST=$(basename "$0" .sh)
    OB_ARTIFACTS=${OB_E2E_ARTIFACTS:-$(dirname "$OB_DRIVER")}
    mkdir -p "$OB_ARTIFACTS"
    rm -f "$OB_ARTIFACTS/$OB_TEST"-*.log "$OB_ARTIFACTS/$OB_TEST-failure.png"
    trap ob_cleanup EXIT
    # A command that stops the scenario through `set -e` says which it was (not in command substitutions, whose
    # failures the caller handles).
    set -E
    trap '(($? != 0 && BASH_SUBSHELL == 0)) && ob_log "stopped by a failing command: $BASH_COMMAND"' ERR
    ob_session_attach
    [[ -f $OB_PROGRAM ]] || ob_fail "the program under test is not built: $OB_PROGRAM"
    [[ -f $OB_DRIVER ]] || ob_fail "the test driver is not built: $OB_DRIVER"
    # The first window call of a fresh server starts the wine server's services and the virtual
    # desktop (a few seconds); done here so that it does not count against a program's timings.
    local begin
    begin=$(ob_now_ms)
    drv list-windows >/dev/null || ob_fail "the driver does not run under Wine"
    ob_log "Wine desktop ready in $(($(ob_now_ms) - begin)) ms"
}

# --- the program's own steps -----------------------------------------------------------------

# ob_start_program: starts the program under test and waits until its start-up is over (the
# configuration window exists and has given up its close box); its pid is then in $program.
ob_start_program() {
    ob_start program "$OB_PROGRAM"
    program=$OB_PID
    ob_expect "the program starts" drv wait-window --title "Obelon Pro Configuration Tool" --timeout 20000
    ob_expect "its start-up completes" \
        ob_poll 15000 ob_output_is no drv has-sysmenu-close --title "Obelon Pro Configuration Tool"
}

# ob_unlock_configuration [PASSWORD]: answers the "Restrictions" dialog that guards the configuration
# at start (default password "bluejay") and waits until the configuration window shows, the only way a
# user reaches its controls.
ob_unlock_configuration() {
    ob_expect "'Restrictions' asks for the configuration password" \
        drv wait-window --title "Restrictions" --visible --timeout 20000
    drv set-text --title "Restrictions" --visible --class Edit --text "${1:-bluejay}" >/dev/null ||
        ob_fail "no password box in 'Restrictions'"
    drv click --title "Restrictions" --visible --caption "&OK" >/dev/null || ob_fail "no OK button in 'Restrictions'"
    ob_expect "the configuration window shows" \
        drv wait-window --title "Obelon Pro Configuration Tool" --visible --timeout 10000
}

# ob_select_page INDEX: brings the configuration window's tab INDEX (0 = Tasks ... 5 = About) to the front.
ob_select_page() {
    ob_expect "the configuration page $1 is selected" \
        drv select-tab --title "Obelon Pro Configuration Tool" --visible --class SysTabControl32 --page "$1"
}

# ob_allow_list: the entries of the watch's allow list (`lstAllow`, the list made right after the frame of the
# configuration window's debug panel; controls are numbered in the order they are made), one a line: a class
# stays there, exempt from the watch, until the watch sees that no window of it is left.
ob_allow_list() {
    local frame
    frame=$(drv list-children --title "Obelon Pro Configuration Tool" |
        grep -F 'text="Debug Panel:"' | sed -E 's/.* id=([0-9-]+) .*/\1/')
    [[ $frame =~ ^[0-9]+$ ]] || return 1
    drv list-items --title "Obelon Pro Configuration Tool" --class ListBox --id $((frame + 1))
}

# ob_allow_list_is EXPECTED: the allow list reads exactly EXPECTED (entries one a line); an unreadable list fails.
ob_allow_list_is() {
    local actual
    actual=$(ob_allow_list 2>/dev/null) || return 1
    [[ $actual == "$1" ]]
}

# ob_pick_in_folder_picker A|B|C: in the shell's folder picker that a click has just opened, selects the item at
# the end of that path of tree labels ("Desktop|Computer|C:|data") and presses OK, as a user would.
ob_pick_in_folder_picker() {
    ob_expect "the picker opens" drv wait-window --title-contains "Browse" --visible --timeout 15000
    drv tree-select --title-contains "Browse" --visible --path "$1" >/dev/null || {
        drv tree-list --title-contains "Browse" --visible >&2 || true
        ob_fail "the picker has no item on the way $1"
    }
    drv click --title-contains "Browse" --visible --caption "OK" --post >/dev/null || ob_fail "no OK in the picker"
    ob_expect "the picker closes" drv wait-gone --title-contains "Browse" --visible --timeout 10000
}
