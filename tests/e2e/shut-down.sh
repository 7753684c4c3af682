#!/usr/bin/env bash
# "Shut Down OB": the exit question appears; Cancel leaves the program running, OK ends it.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly title="Obelon Pro Configuration Tool"
readonly question="Exit Obelon Pro 2011"
readonly warning="This will remove the program from memory and disable Task Locking until Windows next starts."

# The default password opens the configuration, whatever an earlier scenario stored.
drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
ob_start_program
ob_unlock_configuration
ob_select_page 5

# The button opens a modal box, so the click is posted: a sent click would wait for the answer.
ask_to_shut_down() {
    ob_expect "'Shut Down OB' is clicked" drv click --title "$title" --caption "Shut Down OB" --post
    ob_expect "the box '$question' appears" drv wait-window --title "$question" --timeout 10000
    local text
    text=$(drv child-text --title "$question" --class Static --contains "This will remove") ||
        ob_fail "the box has no text about removing the program"
    [[ $text == "$warning"* ]] || ob_fail "the box says '$text'"
    ob_log "ok: the box warns that locking stops until Windows next starts"
}

ask_to_shut_down
ob_expect "Cancel is pressed" drv click --title "$question" --id 2
ob_expect "the box closes" drv wait-gone --title "$question" --timeout 10000
# The tab strip answers only once the click's handler has returned to the window's message loop.
ob_expect "the configuration window answers again after Cancel" \
    drv select-tab --title "$title" --visible --class SysTabControl32 --page 5
ob_alive "$program" || ob_fail "the program ended after Cancel"
ob_expect "the configuration window is still there" drv window-exists --title "$title"

ask_to_shut_down
ob_expect "OK is pressed" drv click --title "$question" --id 1 --post
ob_wait_exit "$program" 15000 || ob_fail "the program is still running 15 s after OK"
ob_expect "the configuration window is gone" drv wait-gone --title "$title" --timeout 5000
