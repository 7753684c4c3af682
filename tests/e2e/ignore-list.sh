#!/usr/bin/env bash
# The ignore list in the real window: with the checked task "Notepad" stored, "Notepad" entered in
# "Ignore List" is stored and Notepad stays usable; once the entry is deleted again, the watch locks
# Notepad as soon as it comes to the front. A hidden Firefox stand-in, which the watch finds anywhere, shows
# that the watch has looked at Notepad in front.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly config_title="Obelon Pro Configuration Tool"
readonly editor="Ignore List"

drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
# A full task list, every other entry checked, so that storing and loading it take a while.
reg_file=$OB_ARTIFACTS/ignore-list-tasks.reg
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\OBP\\Tasks]\r\n'
    printf '"Task0"="Notepad,1"\r\n'
    for i in $(seq 1 999); do printf '"Task%d"="No such program %d,%d"\r\n' "$i" "$i" $((i % 2)); done
} >"$reg_file"
wine regedit /s "$(ob_winpath "$reg_file")" >/dev/null 2>&1
ob_expect "the last task slot is stored" drv reg-query --root HKLM --key 'Software\OBP\Tasks' --value Task999
drv reg-set-raw --root HKLM --key 'Software\OBP\Settings' --value chkLock3Party --text 1 >/dev/null

ob_start_program
ob_unlock_configuration

open_editor() {
    ob_select_page 2
    # The editor takes over from the configuration window until it closes, so the press is posted.
    ob_expect "'Ignored Tasks List...' is pressed" \
        drv click --title "$config_title" --visible --caption "Ignored Tasks List..." --post
    ob_expect "'$editor' opens" drv wait-window --title "$editor" --visible --timeout 10000
}

open_editor
drv set-text --title "$editor" --class Edit --text "Notepad" >/dev/null || ob_fail "no text box in '$editor'"
ob_expect "OK is pressed" drv click --title "$editor" --caption "OK" --post
ob_expect "'$editor' closes" drv wait-gone --title "$editor" --visible --timeout 10000
ob_expect_eq "the entry is stored" "REG_SZ Notepad" \
    "$(drv reg-query --root HKLM --key 'Software\OBP\IgnoreList' --value Task0)"

ob_start notepad notepad
notepad=$OB_PID
ob_expect "Notepad opens" drv wait-window --class Notepad --visible --timeout 20000
ob_expect "Notepad is in front" drv wait-foreground --class Notepad --timeout 10000
# The tick that takes the hidden stand-in away scans the window in front, Notepad, in the same pass.
ob_start firefox "$OB_DRIVER" create-window --title "Mozilla Firefox" --class MozillaUIWindowClass --hidden
firefox=$OB_PID
ob_expect "the watch has run: the hidden Firefox is taken away" \
    drv wait-window --title "Restrictions" --visible --timeout 10000
ob_expect "'Restrictions' names Firefox, not Notepad" \
    ob_poll 10000 drv child-text --title "Restrictions" --visible --class Static --contains "Mozilla Firefox"
ob_expect "the ignored task keeps its title and stays shown" \
    drv wait-window --class Notepad --title "Untitled - Notepad" --visible --timeout 500
drv set-text --title "Restrictions" --visible --class Edit --text "bluejay" >/dev/null || ob_fail "no password box"
drv click --title "Restrictions" --visible --caption "&OK" --post >/dev/null || ob_fail "no OK button"
ob_expect "'Restrictions' goes" drv wait-gone --title "Restrictions" --visible --timeout 10000
ob_stop "$firefox"

ob_expect "the configuration window comes to the front" \
    drv foreground --title "$config_title" --visible --timeout 10000
open_editor
drv type --title "$editor" --class ListBox --text "N" >/dev/null || ob_fail "no list in '$editor'"
ob_expect "Delete is pressed" drv click --title "$editor" --caption "Delete" --post
ob_expect "the entry is gone from the registry" \
    ob_poll 10000 bash -c "! wine '$OB_DRIVER' reg-query --root HKLM --key 'Software\\OBP\\IgnoreList' --value Task0 >/dev/null 2>&1"
ob_expect "Close is pressed" drv click --title "$editor" --caption "Close" --post
ob_expect "'$editor' closes" drv wait-gone --title "$editor" --visible --timeout 10000

# The watch may hide Notepad before anyone sees it in front: the lock's own title is the sign.
ob_expect "Notepad is asked to the front" drv foreground --class Notepad --ask-only
asked=$(ob_now_ms)
ob_expect "without the entry Notepad is retitled '###' and hidden" \
    drv wait-window --class Notepad --title "###" --hidden --timeout 10000
ob_log "locked $(($(ob_now_ms) - asked)) ms after it was asked to the front"
ob_expect "'Restrictions' names it" \
    ob_poll 10000 drv child-text --title "Restrictions" --visible --class Static --contains "Notepad"
ob_stop "$notepad"
ob_expect "'Restrictions' goes with the locked window" drv wait-gone --title "Restrictions" --visible --timeout 10000

# OK in the editor, then Apply at once: the watch's reload of the saved list must not cut Apply's lists short.
ob_expect "the configuration window comes back to the front" \
    drv foreground --title "$config_title" --visible --timeout 10000
open_editor
drv set-text --title "$editor" --class Edit --text "Quokka" >/dev/null || ob_fail "no text box in '$editor'"
ob_expect "OK is pressed" drv click --title "$editor" --caption "OK" --post
ob_expect "'$editor' closes" drv wait-gone --title "$editor" --visible --timeout 10000
applied() { drv child-text --title "$config_title" --visible --class Button --caption "Close" >/dev/null 2>&1; }
# Apply is out of reach while the watch's reload runs; a press that met it greyed is made again.
for attempt in 1 2 3; do
    drv click --title "$config_title" --visible --caption "Apply" --post >/dev/null || ob_fail "no Apply button"
    ob_poll 15000 applied && break
    ob_log "Apply press $attempt met the button greyed"
done
applied || ob_fail "Apply never ended: 'Cancel' did not become 'Close'"
stored_tasks=$(wine reg query 'HKLM\Software\OBP\Tasks' 2>/dev/null | grep -c 'REG_SZ')
ob_expect_eq "every task slot is still stored" 1000 "$stored_tasks"
ob_expect_eq "the last task keeps its text and tick" "REG_SZ No such program 999,1" \
    "$(drv reg-query --root HKLM --key 'Software\OBP\Tasks' --value Task999)"
ob_expect_eq "the new entry is stored" "REG_SZ Quokka" \
    "$(drv reg-query --root HKLM --key 'Software\OBP\IgnoreList' --value Task0)"
drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
