#!/usr/bin/env bash
# The CTest fixture: "start DIR" makes the display and booted Wine prefix that every Wine test
# of one ctest run shares; "stop DIR" ends them. A session left by an interrupted run is ended first.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

action=${1:-}
dir=${2:-}
if [[ -z $dir || ($action != start && $action != stop) ]]; then
    echo "usage: $0 start|stop <session folder>" >&2
    exit 2
fi

case $action in
start)
    ob_session_destroy "$dir"
    begin=$(ob_now_ms)
    trap 'status=$?; if ((status != 0)); then ob_session_destroy "$dir"; fi' EXIT
    ob_session_create "$dir"
    ob_log "session ready in $(($(ob_now_ms) - begin)) ms: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
    ;;
stop)
    ob_session_destroy "$dir"
    ob_log "session ended"
    ;;
esac
