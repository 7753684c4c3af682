#!/usr/bin/env bash
# The daily session limit on a real minute: with a limit of one minute and no day stored, "Time left:" shows
# "1 Minutes." at start, has no Close and, minimized, is titled "You have 1 Minutes."; a minute later
# "Restrictions" locks the session as "Expired Windows® Session" with Cancel disabled and the countdown gone, in
# front of the start-up prompt left open; the password ends the lock and the prompt comes back; a restart the same
# day locks at once.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly config_title="Obelon Pro Configuration Tool"
readonly dialog="Restrictions"
readonly countdown="Time left:"
readonly expired=$'Expired Windows\u00ae Session'
readonly user_key='Software\VB and VBA Program Settings\obelon'
readonly setting_key="$user_key\\setting"

reset_values() {
    drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
    drv reg-delete --root HKCU --key "$user_key" --tree >/dev/null
}
stored() { drv reg-query --root HKCU --key "$setting_key" --value "$1"; }
expired_lock_shown() { drv child-text --title "$dialog" --visible --class Static --contains "$expired" >/dev/null; }
cancel_state() { drv is-enabled --title "$dialog" --visible --caption "Cance&l" 2>/dev/null || true; }

start_program() {
    ob_start "$1" "$OB_PROGRAM"
    program=$OB_PID
    started=$(ob_now_ms)
    ob_expect "the program starts" drv wait-window --title "$config_title" --timeout 15000
}

reset_values
# A stored limit would lock every later scenario's start: it goes however this one ends.
ob_at_exit reset_values
# The limit is the administrator's, kept machine-wide for the account; a "timer" of the user's own counts for nothing.
account_key='Software\OBP\Users\'$(drv user-sid) || ob_fail "the account's identifier cannot be read"
drv reg-set-raw --root HKLM --key "$account_key" --value timer --text 1 >/dev/null || ob_fail "timer not set"
drv reg-set-raw --root HKCU --key "$setting_key" --value timer --text 0 >/dev/null || ob_fail "own timer not set"

start_program first
ob_expect "'$countdown' shows" drv wait-window --title "$countdown" --visible --timeout 15000
ob_expect_eq "the minutes left" "1 Minutes." "$(drv child-text --title "$countdown" --visible --class Static)"
ob_expect "the countdown has no Close" ob_poll 15000 ob_output_is no drv has-sysmenu-close --title "$countdown"
ob_expect "the countdown is minimized" drv show-window --title "$countdown" --state minimize
ob_expect "minimized, its title tells the time left" drv wait-window --title "You have 1 Minutes." --minimized --timeout 15000
ob_expect "the countdown is restored" drv show-window --title "You have 1 Minutes." --state restore
ob_expect "restored, its title is '$countdown' again" drv wait-window --title "$countdown" --visible --timeout 15000
ob_expect_eq "the day's count" "REG_SZ 1" "$(stored tickCount)"
[[ $(stored date) =~ ^REG_SZ\ [0-9]{4}-[0-9]{2}-[0-9]{2}$ ]] || ob_fail "date is not a calendar day: '$(stored date)'"
ob_log "ok: the day is stored as a calendar date"

ob_expect "the session locks about a minute after the start" ob_poll 80000 expired_lock_shown
elapsed=$(($(ob_now_ms) - started))
((elapsed >= 55000)) || ob_fail "the lock came after $elapsed ms, before the minute was up"
ob_log "ok: locked $elapsed ms after the start"
# The minute's tick shows the dialog before it disables Cancel and stores the count: both are polled for.
ob_expect "Cancel of the lock is disabled" ob_poll 15000 ob_output_is disabled cancel_state
ob_expect_eq "the lock covers the whole screen" "0 0 ${OB_DESKTOP_SIZE/x/ }" "$(drv window-rect --title "$dialog" --visible)"
ob_expect "the countdown is gone" drv wait-gone --title-contains "Time left" --visible --timeout 15000
ob_expect "the day's count is used up" ob_poll 15000 ob_output_is "REG_SZ 0" stored tickCount

drv set-text --title "$dialog" --visible --class Edit --text "bluejay" >/dev/null || ob_fail "no password box in '$dialog'"
drv click --title "$dialog" --visible --caption "&OK" >/dev/null || ob_fail "no OK button in '$dialog'"
# The lock over the session came in front of the start-up prompt for the configuration, which was still open: the
# password ends the lock, and the prompt it interrupted is asked again (Cancel enabled, no session text).
startup_prompt_back() { ! expired_lock_shown && [[ $(cancel_state) == enabled ]]; }
ob_expect "the password ends the lock and the start-up prompt comes back" ob_poll 15000 startup_prompt_back
ob_stop "$program"
ob_expect "the first run is over" drv wait-gone --title "$config_title" --timeout 15000

start_program again
ob_expect "the restart locks at once" ob_poll 15000 expired_lock_shown
ob_expect "Cancel of the lock is disabled" ob_poll 15000 ob_output_is disabled cancel_state
if drv window-exists --title-contains "Time left" --visible >/dev/null 2>&1; then ob_fail "a countdown shows"; fi
ob_log "ok: no countdown on the same day"
ob_stop "$program"
