#!/usr/bin/env bash
# The CTest fixture: "start DIR [DRIVER]" makes the display and booted Wine prefix that every Wine
# test of one ctest run shares, and with the driver warms up the virtual desktop (its first start
# in a new prefix builds font caches and takes several seconds); "stop DIR" ends them. A session
# left by an interrupted run is ended first.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

action=${1:-}
dir=${2:-}
driver=${3:-}
if [[ -z $dir || ($action != start && $action != stop) ]]; then
    echo "usage: $0 start <session folder> [obdriver.exe] | stop <session folder>" >&2
    exit 2
fi

case $action in
start)
    ob_session_destroy "$dir"
    begin=$(ob_now_ms)
    trap 'status=$?; if ((status != 0)); then ob_session_destroy "$dir"; fi' EXIT
    ob_session_create "$dir"
    if [[ -n $driver ]]; then
        wine "$driver" list-windows </dev/null >>"$dir/wine.log" 2>&1
        echo "OB_SESSION_DRIVER=$(realpath "$driver")" >>"$dir/env"
        ob_keep_desktop "$dir" "$(realpath "$driver")"
    fi
    ob_log "session ready in $(($(ob_now_ms) - begin)) ms: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
    ;;
stop)
    ob_session_destroy "$dir"
    ob_log "session ended"
    ;;
esac
