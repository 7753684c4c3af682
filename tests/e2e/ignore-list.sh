#!/usr/bin/env bash
# The ignore list in the real window: with the checked task "Notepad" stored, "Notepad" entered in
# "Ignore List" is stored and Notepad stays usable; once the entry is deleted again, the watch locks
# Notepad as soon as it comes to the front.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly config_title="Obelon Pro Configuration Tool"
readonly editor="Ignore List"

drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
drv reg-set-raw --root HKLM --key 'Software\OBP\Tasks' --value Task0 --text "Notepad,1" >/dev/null

ob_start_program
ob_unlock_configuration

open_editor() {
    ob_select_page 2
    # The editor takes over from the configuration window until it closes, so the press is posted.
    ob_expect "'Ignored Tasks List...' is pressed" \
        drv click --title "$config_title" --visible --caption "Ignored Tasks List..." --post
    ob_expect "'$editor' opens" drv wait-window --title "$editor" --visible --timeout 3000
}

open_editor
drv set-text --title "$editor" --class Edit --text "Notepad" >/dev/null || ob_fail "no text box in '$editor'"
ob_expect "OK is pressed" drv click --title "$editor" --caption "OK" --post
ob_expect "'$editor' closes" drv wait-gone --title "$editor" --visible --timeout 3000
ob_expect_eq "the entry is stored" "REG_SZ Notepad" \
    "$(drv reg-query --root HKLM --key 'Software\OBP\IgnoreList' --value Task0)"

ob_start notepad notepad
notepad=$OB_PID
ob_expect "Notepad opens" drv wait-window --class Notepad --visible --timeout 10000
ob_expect "Notepad is in front" ob_poll 3000 drv wait-foreground --class Notepad --timeout 500
sleep 3
ob_expect "the ignored task keeps its title and stays shown" \
    drv wait-window --class Notepad --title "Untitled - Notepad" --visible --timeout 500

ob_expect "the configuration window comes to the front" drv foreground --title "$config_title" --visible
open_editor
drv type --title "$editor" --class ListBox --text "N" >/dev/null || ob_fail "no list in '$editor'"
ob_expect "Delete is pressed" drv click --title "$editor" --caption "Delete" --post
ob_expect "the entry is gone from the registry" \
    ob_poll 3000 bash -c "! wine '$OB_DRIVER' reg-query --root HKLM --key 'Software\\OBP\\IgnoreList' --value Task0 >/dev/null 2>&1"
ob_expect "Close is pressed" drv click --title "$editor" --caption "Close" --post
ob_expect "'$editor' closes" drv wait-gone --title "$editor" --visible --timeout 3000

ob_expect "Notepad comes to the front" drv foreground --class Notepad
ob_expect "without the entry Notepad is locked within two seconds" \
    drv wait-window --class Notepad --title "###" --hidden --timeout 2500
ob_expect "'Restrictions' names it" \
    ob_poll 3000 drv child-text --title "Restrictions" --visible --class Static --contains "Notepad"
ob_stop "$notepad"
drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
