#!/usr/bin/env bash
# The task browser: with the configuration window unlocked, "Browse" opens "Browse for Task", which
# lists an open stand-in window; picking its line puts the title into the edit box, Select adds it to
# the Tasks page as a checked task (Apply stores it so) and the browser goes.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly config_title="Obelon Pro Configuration Tool"
readonly dialog="Restrictions"
readonly browser="Browse for Task"
# Its first letter is one no other listed window starts with: a key press in the list picks it.
readonly stand_in="Quokka Ledger - stand-in"

drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null

ob_start stand-in "$OB_DRIVER" create-window --title "$stand_in" --class ObStandInLedger
ob_expect "the stand-in window opens" drv wait-window --title "$stand_in" --visible --timeout 10000

ob_start program "$OB_PROGRAM"
program=$OB_PID
ob_expect "the program starts" drv wait-window --title "$config_title" --timeout 15000
ob_expect "'$dialog' asks for the password to the configuration" \
    drv wait-window --title "$dialog" --visible --timeout 15000
drv set-text --title "$dialog" --class Edit --text "bluejay" >/dev/null || ob_fail "no password box in '$dialog'"
drv click --title "$dialog" --caption "&OK" >/dev/null || ob_fail "no OK button in '$dialog'"
ob_expect "the configuration window opens" drv wait-window --title "$config_title" --visible --timeout 15000
ob_select_page 0

# The Browse handler waits for the browser to close, so the click is posted.
ob_expect "'Browse' is clicked" drv click --title "$config_title" --caption "Browse" --post
ob_expect "'$browser' opens" drv wait-window --title "$browser" --visible --timeout 15000
# Read once and checked apart, so that a missing box fails instead of reading as empty.
typed=$(drv child-text --title "$browser" --class Edit --index 0) || ob_fail "no edit box in '$browser'"
ob_expect_eq "the edit box starts empty" "" "$typed"

drv type --title "$browser" --class ListBox --text "Q" >/dev/null || ob_fail "no window list in '$browser'"
ob_expect "picking the stand-in's line puts its title into the edit box" \
    ob_poll 15000 ob_output_is "$stand_in" drv child-text --title "$browser" --class Edit --index 0

ob_expect "Select is clicked" drv click --title "$browser" --caption "Select" --post
ob_expect "'$browser' goes" drv wait-gone --title "$browser" --visible --timeout 15000

# Apply writes the list as it stands: the new task is the last entry, after the 29 presets, checked.
ob_expect "Apply is clicked" drv click --title "$config_title" --caption "Apply" --post
task_slot() { drv reg-query --root HKLM --key 'Software\OBP\Tasks' --value Task29; }
ob_expect "the task is stored" ob_poll 15000 ob_output_is "REG_SZ $stand_in,1" task_slot
ob_alive "$program" || ob_fail "the program ended"
