#!/usr/bin/env bash
# A second start while the program runs: the new process keeps the title "#obelon init" and ends
# by itself within a few seconds; the running instance goes on.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly title="Obelon Pro Configuration Tool"

ob_start running "$OB_PROGRAM"
running=$OB_PID
ob_expect "the first instance takes the configuration title" drv wait-window --title "$title" --timeout 20000
running_windows_pid=$(drv pid-of --title "$title")
# Let its start-up finish, so the second start meets a fully running instance.
ob_expect "the first instance gets through its start-up" \
    ob_poll 15000 ob_output_is no drv has-sysmenu-close --title "$title"

# The second start's window lives about a second: the driver looks for it before the program starts.
coproc watcher { drv wait-window --title "#obelon init" --timeout 30000 --announce 2>/dev/null; }
watcher_pid=$watcher_PID
exec {from_watcher}<&"${watcher[0]}"
read -r -t 60 announced <&"$from_watcher" && [[ $announced == waiting ]] || ob_fail "the driver did not start looking"
started=$(ob_now_ms)
ob_start second "$OB_PROGRAM"
second=$OB_PID
read -r -t 60 found <&"$from_watcher" || true
wait "$watcher_pid" || ob_fail "the second start never showed a window titled '#obelon init'"
ob_log "ok: the second start's window is titled '#obelon init' ($found)"
ob_wait_exit "$second" 15000 || ob_fail "the second start is still running $(($(ob_now_ms) - started)) ms after it began"
ob_log "the second start ended after $(($(ob_now_ms) - started)) ms"
ob_expect "its window is gone" drv wait-gone --title "#obelon init" --timeout 5000

ob_alive "$running" || ob_fail "the running instance ended as well"
ob_expect_eq "the running instance still owns the configuration window" "$running_windows_pid" \
    "$(drv pid-of --title "$title")"
ob_expect_eq "there is only one configuration window" 1 "$(drv list-windows --title-contains "$title" | grep -c "text=\"$title\"")"

# Two starts close together: the earlier one stays even when it is held up in its start-up delay while the later
# one gets through its own. The earlier one is stopped (SIGSTOP) as soon as its window shows; its title
# "#obelon init" then says that it has not reached the handshake yet.
ob_stop "$running"
ob_expect "the running instance has ended" drv wait-gone --title "$title" --timeout 15000
coproc watcher { drv wait-window --title "#obelon init" --timeout 30000 --announce 2>/dev/null; }
watcher_pid=$watcher_PID
exec {from_watcher}<&"${watcher[0]}"
read -r -t 60 announced <&"$from_watcher" && [[ $announced == waiting ]] || ob_fail "the driver did not start looking"
ob_start early "$OB_PROGRAM"
early=$OB_PID
read -r -t 60 found <&"$from_watcher" || ob_fail "the early start never showed a window titled '#obelon init'"
kill -STOP "$early"
wait "$watcher_pid" || true
early_windows_pid=$(drv pid-of --title "#obelon init") || ob_fail "the early start's window went"
if ! drv window-exists --title "#obelon init" --pid "$early_windows_pid" >/dev/null; then
    kill -CONT "$early"
    ob_fail "the early start was held only after its start-up delay"
fi
ob_start late "$OB_PROGRAM"
late=$OB_PID
ob_wait_exit "$late" 30000 || { kill -CONT "$early"; ob_fail "the later start runs on while the earlier one is held"; }
ob_log "ok: the later start ended while the earlier one was held"
kill -CONT "$early"
ob_expect "the earlier start takes the configuration title" drv wait-window --title "$title" --timeout 20000
ob_expect_eq "the configuration window is the earlier start's" "$early_windows_pid" "$(drv pid-of --title "$title")"
ob_expect "the earlier start gets through its start-up" \
    ob_poll 15000 ob_output_is no drv has-sysmenu-close --title "$title"
ob_alive "$early" || ob_fail "the earlier start ended"
