#!/usr/bin/env bash
# The built-in protections of the real program, each switched on in the stored configuration: Wine's
# own Registry Editor, and stand-in windows with the exact class or title of Internet Explorer,
# Firefox, a Windows Explorer folder, Task Manager and an installer. Each is taken away behind
# "Restrictions" with its own label and comes back with the password; Internet Explorer stays free
# only while it is open, and an installer is minimized under a full-screen dialog.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly config_title="Obelon Pro Configuration Tool"
readonly dialog="Restrictions"
readonly settings='Software\OBP\Settings'

drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
drv reg-set-raw --root HKLM --key "$settings" --value DisableRegistryTools --type REG_DWORD --dword 1 >/dev/null
for value in LockIE chkLock3Party LockEx TaskManager LockInstall; do
    drv reg-set-raw --root HKLM --key "$settings" --value "$value" --text 1 >/dev/null
done

ob_start_program
# The start-up password prompt is answered and the window closed, so each lock opens the dialog anew.
ob_unlock_configuration
ob_expect "the configuration window is closed" drv click --title "$config_title" --visible --caption "Cancel"
ob_expect "it goes" drv wait-window --title "$config_title" --hidden --timeout 10000

expect_dialog_for() {
    ob_expect "'$dialog' is shown" drv wait-window --title "$dialog" --visible --timeout 10000
    ob_expect "'$dialog' is labelled '$1'" \
        ob_poll 10000 drv child-text --title "$dialog" --visible --class Static --contains "$1"
}

answer_password() {
    drv set-text --title "$dialog" --visible --class Edit --text "bluejay" >/dev/null || ob_fail "no password box"
    drv click --title "$dialog" --visible --caption "&OK" --post >/dev/null || ob_fail "no OK button"
    ob_expect "'$dialog' goes" drv wait-gone --title "$dialog" --visible --timeout 10000
}

# stand_in NAME CLASS TITLE LABEL: a window found by its class (or title) is hidden and labelled.
locked_stand_in() {
    local name=$1 class=$2 title=$3 label=$4
    ob_start "$name" "$OB_DRIVER" create-window --title "$title" --class "$class"
    stand_in=$OB_PID
    # The dialog first: the window is also hidden for a moment before the stand-in shows it.
    expect_dialog_for "$label"
    ob_expect "the $name window is hidden" \
        drv wait-window --class "$class" --title "$title" --hidden --timeout 10000
    answer_password
    ob_expect "the password brings the $name window back" \
        drv wait-window --class "$class" --title "$title" --visible --timeout 10000
}

# Registry tools: the real Registry Editor, found by the title in front.
ob_start regedit regedit
regedit=$OB_PID
ob_expect "the Registry Editor opens" drv wait-window --title "Registry Editor" --timeout 20000
expect_dialog_for "Registry Tools"
ob_expect "the Registry Editor is hidden" drv wait-window --title "Registry Editor" --hidden --timeout 10000
answer_password
ob_expect "the password brings the Registry Editor back" \
    drv wait-window --title "Registry Editor" --visible --timeout 10000
ob_stop "$regedit"

# Internet Explorer: released while open, watched again once it has closed. Each rule runs on every look of
# the watch, so the next lock (Firefox, Explorer) shows that the watch has looked since.
# Wine's own iexplore ends as soon as its frame is hidden, so a stand-in of its class plays it.
locked_stand_in "Internet Explorer" IEFrame "Blank Page - Windows Internet Explorer" "Internet Explorer"
browser=$stand_in
locked_stand_in Firefox MozillaUIWindowClass "Mozilla Firefox" "Mozilla Firefox"
ob_stop "$stand_in"
ob_expect "the released browser stayed shown while it was open" \
    drv wait-window --class IEFrame --title "Blank Page - Windows Internet Explorer" --visible --timeout 500
ob_stop "$browser"
ob_expect "the browser has closed" drv wait-gone --class IEFrame --timeout 10000
locked_stand_in Explorer CabinetWClass "Documents" "Windows Explorer"
ob_stop "$stand_in"
ob_start "Internet Explorer in the background" "$OB_DRIVER" create-window \
    --title "Second Page - Windows Internet Explorer" --class IEFrame --hidden
# A window that was never shown is found all the same.
expect_dialog_for "Internet Explorer"
answer_password
ob_stop "$OB_PID"

locked_stand_in "Task Manager" ObStandInTaskManager "Windows Task Manager" "Windows Task Manager"
ob_stop "$stand_in"

# An installer is only minimized, and the dialog covers the screen.
ob_start installer "$OB_DRIVER" create-window --title "Quokka Ledger Setup" --class ObStandInSetup
installer=$OB_PID
ob_expect "the installer is minimized" \
    drv wait-window --title "Quokka Ledger Setup" --minimized --timeout 10000
expect_dialog_for "Installation Program"
ob_expect "'$dialog' covers the screen" drv wait-window --title "$dialog" --visible --maximized --timeout 10000
answer_password
ob_expect "installs are permitted: the message says so" drv wait-window --title "Message:" --visible --timeout 10000
drv click --title "Message:" --caption "OK" --post >/dev/null || true
ob_expect "the installer is back" ob_poll 10000 bash -c \
    "! wine '$OB_DRIVER' wait-window --title 'Quokka Ledger Setup' --minimized --timeout 100 >/dev/null 2>&1"
ob_stop "$installer"

ob_alive "$program" || ob_fail "the program ended"
drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
