#!/usr/bin/env bash
# Apply in the real window: ticking protections on the "Advanced" page and pressing Apply stores them
# machine-wide ("DisableRegistryTools" as a number, the others as "1"/"0"), "Cancel" becomes "Close",
# and after a restart the window shows the stored choices again.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly config_title="Obelon Pro Configuration Tool"
readonly settings='Software\OBP\Settings'

drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null

start_unlocked() {
    ob_start_program
    ob_unlock_configuration
    ob_select_page 4
}

box_is() {
    ob_output_is "$2" drv is-checked --title "$config_title" --visible --class Button --caption "$1"
}

start_unlocked
for box in "Registry Editing Tools" "Task Manager" "Third-Party Browers"; do
    ob_expect "'$box' is ticked" drv click --title "$config_title" --visible --caption "$box"
done
# Apply reloads the whole configuration before it returns, so the press is posted.
ob_expect "Apply is pressed" drv click --title "$config_title" --visible --caption "Apply" --post
ob_expect "'Cancel' becomes 'Close' once the configuration is stored and loaded again" \
    ob_poll 10000 drv child-text --title "$config_title" --visible --class Button --caption "Close"

ob_expect_eq "the registry tools are stored as the number 1" "REG_DWORD 1" \
    "$(drv reg-query --root HKLM --key "$settings" --value DisableRegistryTools)"
ob_expect_eq "Task Manager is stored on" "REG_SZ 1" \
    "$(drv reg-query --root HKLM --key "$settings" --value TaskManager)"
ob_expect_eq "the other browsers are stored on" "REG_SZ 1" \
    "$(drv reg-query --root HKLM --key "$settings" --value chkLock3Party)"
ob_expect_eq "Internet Explorer, left alone, is stored off" "REG_SZ 0" \
    "$(drv reg-query --root HKLM --key "$settings" --value LockIE)"
# What reg.exe reads is what another administrator's tools see.
ob_expect "reg.exe reads the same value" \
    ob_poll 15000 bash -c "wine reg query 'HKLM\\$settings' /v TaskManager 2>/dev/null | grep -q 'REG_SZ *1'"
ob_expect "the 29 preset tasks are written from Task0 to Task28" \
    drv reg-query --root HKLM --key 'Software\OBP\Tasks' --value Task28
drv reg-query --root HKLM --key 'Software\OBP\Tasks' --value Task29 >/dev/null 2>&1 &&
    ob_fail "a slot after the list was written"

ob_stop "$program"
ob_expect "the first run has ended" drv wait-gone --title "$config_title" --timeout 15000

start_unlocked
for box in "Registry Editing Tools" "Task Manager" "Third-Party Browers"; do
    ob_expect "after the restart '$box' shows ticked" ob_poll 15000 box_is "$box" checked
done
ob_expect "after the restart 'Internet Explorer' shows unticked" box_is "Internet Explorer" unchecked

drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
