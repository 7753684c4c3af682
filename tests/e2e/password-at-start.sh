#!/usr/bin/env bash
# The access password from start to restart: at start "Restrictions" guards the configuration, a wrong password is
# refused and "bluejay" opens the configuration window; "Set Tasks Password..." stores a new password, which the
# registry holds only as a salted hash, and after a restart only the new password opens the configuration.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly config_title="Obelon Pro Configuration Tool"
readonly dialog="Restrictions"
readonly box_title="Obelon Pro"
readonly new_password="Heron-Seven"

drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null

stored_password() { drv reg-query --root HKLM --key 'Software\OBP\Settings' --value pwd; }

# Sets the masked box and presses OK; a press that ends in a modal box is posted, as a sent one would wait for it.
enter_password() {
    drv set-text --title "$dialog" --visible --class Edit --text "$1" >/dev/null || ob_fail "no password box in '$dialog'"
    drv click --title "$dialog" --visible --caption "&OK" ${2:+--post} >/dev/null || ob_fail "no OK button in '$dialog'"
}

prompt_says() { drv child-text --title "$dialog" --visible --class Static --contains "$1" >/dev/null; }

start_program() {
    ob_start "$1" "$OB_PROGRAM"
    program=$OB_PID
    ob_expect "the program starts" drv wait-window --title "$config_title" --timeout 15000
    ob_expect "'$dialog' asks for the configuration password" \
        drv wait-window --title "$dialog" --visible --timeout 15000
    ob_expect "the configuration window stays hidden" drv wait-window --title "$config_title" --hidden --timeout 15000
}

start_program first
ob_expect "the prompt names the default password" ob_poll 15000 prompt_says "The default password is BLUEJAY."
enter_password "robin"
ob_expect "a wrong password is refused" ob_poll 15000 prompt_says "Password is Invalid."
ob_expect "the configuration stays locked" drv wait-window --title "$config_title" --hidden --timeout 500
enter_password "BlueJay"
ob_expect "the default password opens '$config_title'" \
    drv wait-window --title "$config_title" --visible --timeout 15000
ob_expect "'$dialog' goes" drv wait-gone --title "$dialog" --visible --timeout 15000

ob_select_page 2
ob_expect "'Set Tasks Password...' is clicked" \
    drv click --title "$config_title" --caption "Set Tasks Password..." --post
ob_expect "'$dialog' asks for the new password" drv wait-window --title "$dialog" --visible --timeout 15000
ob_expect "it asks for a new password" ob_poll 15000 prompt_says "Enter new password:"
enter_password "$new_password"
ob_expect "it asks again to confirm" ob_poll 15000 prompt_says "Confirm new password:"
enter_password "${new_password,,}" post
ob_expect "the box '$box_title' appears" drv wait-window --title "$box_title" --timeout 15000
ob_expect "it says the password is set" \
    ob_poll 15000 drv child-text --title "$box_title" --class Static --contains "Password set successfully."
ob_expect "the box is closed" drv click --title "$box_title" --caption "OK" --post
ob_expect "the box goes" drv wait-gone --title "$box_title" --timeout 15000

stored=$(stored_password) || ob_fail "no value pwd under HKLM\\Software\\OBP\\Settings"
[[ $stored == "REG_SZ pbkdf2-sha256\$600000\$"* ]] || ob_fail "pwd is not a salted hash: '$stored'"
[[ ${stored,,} != *"${new_password,,}"* ]] || ob_fail "pwd holds the password itself: '$stored'"
ob_log "ok: pwd holds only a salted hash"

ob_stop "$program"
ob_expect "the first run is over" drv wait-gone --title "$config_title" --timeout 15000

start_program second
ob_expect "the prompt names no default any more" \
    ob_poll 15000 prompt_says "Enter a password to continue, or, contact your network administrator."
enter_password "bluejay"
ob_expect "the old password is refused" ob_poll 15000 prompt_says "Password is Invalid."
enter_password "${new_password^^}"
ob_expect "the new password, in any case, opens '$config_title'" \
    drv wait-window --title "$config_title" --visible --timeout 15000
ob_alive "$program" || ob_fail "the program ended"
ob_stop "$program"
# The next scenarios start from the default password.
drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
