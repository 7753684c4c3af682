#!/usr/bin/env bash
# A locked task: with the checked task "Notepad" stored, Notepad in front is retitled "###" and hidden
# at the watch's next look behind "Restrictions", which names it; a wrong password is refused, "bluejay"
# brings Notepad back; a second lock ended with Cancel closes Notepad.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly config_title="Obelon Pro Configuration Tool"
readonly dialog="Restrictions"

drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
drv reg-set-raw --root HKLM --key 'Software\OBP\Tasks' --value Task0 --text "Notepad,1" >/dev/null

ob_start_program
# The start-up prompt for the configuration comes first; Notepad, opened after it, is the window in front.
ob_expect "the start-up prompt is shown" drv wait-window --title "$dialog" --visible --timeout 20000

# Notepad comes to the front and is locked.
lock_notepad() {
    ob_start notepad notepad
    notepad=$OB_PID
    local started
    started=$(ob_now_ms)
    ob_expect "Notepad opens" drv wait-window --class Notepad --timeout 20000
    ob_expect "Notepad is retitled '###' and hidden" \
        drv wait-window --class Notepad --title "###" --hidden --timeout 10000
    ob_log "locked $(($(ob_now_ms) - started)) ms after Notepad was started"
    ob_expect "'$dialog' is shown" drv wait-window --title "$dialog" --visible --timeout 10000
    ob_expect "'$dialog' names the locked task" \
        ob_poll 10000 drv child-text --title "$dialog" --class Static --contains "Notepad"
}

enter_password() {
    drv set-text --title "$dialog" --class Edit --text "$1" >/dev/null || ob_fail "no password box in '$dialog'"
    drv click --title "$dialog" --caption "&OK" >/dev/null || ob_fail "no OK button in '$dialog'"
}

lock_notepad
enter_password "not the password"
ob_expect "a wrong password is refused" \
    ob_poll 10000 drv child-text --title "$dialog" --class Static --contains "Password is Invalid."
ob_expect "Notepad stays hidden" drv wait-window --class Notepad --title "###" --hidden --timeout 500

enter_password "BlueJay"
ob_expect "the right password, in any case, brings Notepad back under its title" \
    drv wait-window --class Notepad --title "Notepad" --visible --timeout 10000
ob_expect "'$dialog' goes" drv wait-gone --title "$dialog" --visible --timeout 10000
ob_expect "Notepad's class is on the allow list while it is open" ob_poll 10000 ob_allow_list_is Notepad

# Once every Notepad window has closed, Notepad is locked again; Cancel then closes it.
ob_stop "$notepad"
ob_expect "the first Notepad is gone" drv wait-gone --class Notepad --timeout 10000
ob_expect "the watch takes Notepad's class off the allow list" ob_poll 10000 ob_allow_list_is ""
lock_notepad
drv click --title "$dialog" --caption "Cance&l" --post >/dev/null || ob_fail "no Cancel button in '$dialog'"
ob_wait_exit "$notepad" 10000 || ob_fail "Notepad still runs 10 s after Cancel"
ob_log "ok: Cancel closed Notepad"
ob_alive "$program" || ob_fail "the program ended"
