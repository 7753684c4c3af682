#!/usr/bin/env bash
# The message window of the real program: ticking the administrator box shows "Message:" with the
# administrator text, and OK empties and closes it. The box is on the "Users" page of the unlocked
# configuration window.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly config_title="Obelon Pro Configuration Tool"
readonly box="Administrator (this user account will not be restricted)"
readonly text="As Administrator Obelon Pro will be disabled on this user account."

# The default password opens the configuration, whatever an earlier scenario stored; the exemption stored here
# would leave every later scenario's account unrestricted, so it goes however this one ends.
forget_configuration() { drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null; }
forget_configuration
ob_at_exit forget_configuration
account_key='Software\OBP\Users\'$(drv user-sid) || ob_fail "the account's identifier cannot be read"
ob_start_program
ob_unlock_configuration
ob_select_page 3

ob_expect "the administrator box is ticked" drv click --title "$config_title" --caption "$box" --post
ob_expect "'Message:' is shown" drv wait-window --title "Message:" --visible --timeout 15000
ob_expect "it shows the administrator text within a moment" \
    ob_poll 15000 drv child-text --title "Message:" --class Static --contains "$text"
ob_expect_eq "the exemption is stored machine-wide for this account" "REG_SZ Enabled" \
    "$(drv reg-query --root HKLM --key "$account_key" --value CurrentUser)"
ob_expect "OK is pressed" drv click --title "Message:" --caption "OK" --post
ob_expect "the message window closes" drv wait-gone --title "Message:" --visible --timeout 15000
