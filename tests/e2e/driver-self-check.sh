#!/usr/bin/env bash
# The harness on its own, with stand-in windows instead of the product: the driver can see, bring
# forward, read and close windows, its system-menu probe can answer "yes" as well as "no" (the
# scenarios rely on its "no"), and the virtual desktop moves the foreground on when a window hides.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

ob_start first "$OB_DRIVER" create-window --title "Stand-in Ü 日本" --class ObStandInA
first=$OB_PID
ob_expect "a stand-in with a non-ASCII title appears" drv wait-window --title "Stand-in Ü 日本" --visible --timeout 20000
ob_start second "$OB_DRIVER" create-window --title "Second stand-in" --class ObStandInB
ob_expect "a second stand-in appears" drv wait-window --title "Second stand-in" --class obstandinb --visible --timeout 20000

ob_expect "the first is brought to the foreground" drv foreground --title "Stand-in Ü 日本" --timeout 10000
ob_expect "and then the second" drv foreground --class ObStandInB --timeout 10000
ob_expect_eq "the title is read back by class" "Second stand-in" "$(drv get-title --class ObStandInB)"
ob_expect "an ordinary window's system menu has Close" \
    ob_output_is yes drv has-sysmenu-close --title "Second stand-in"

drv set-text --title "Second stand-in" --text "Hidden stand-in" >/dev/null
ob_expect "the title is changed from outside" drv wait-window --title "Hidden stand-in" --timeout 15000
ob_expect "the second stand-in is hidden" drv show-window --title "Hidden stand-in" --state hide
ob_expect "it is no longer visible" drv wait-window --title "Hidden stand-in" --hidden --timeout 15000
ob_expect "the foreground moves on to the remaining window" drv wait-foreground --class ObStandInA --timeout 15000
ob_expect "a hidden stand-in still closes" drv close --class ObStandInB
ob_expect "and its process ends" ob_wait_exit "$OB_PID" 15000

key='Software\OBPTest\harness'
drv reg-set-raw --root HKCU --key "$key" --value bare --text "abc" --no-nul >/dev/null
ob_expect_eq "a value stored without terminator keeps exactly its bytes" "REG_SZ 610062006300" \
    "$(drv reg-query --root HKCU --key "$key" --value bare --hex)"
drv reg-set-raw --root HKCU --key "$key" --value cut --hex 6100000062000000 >/dev/null
ob_expect_eq "a NUL inside a text is shown, not hidden" 'REG_SZ a\0b' "$(drv reg-query --root HKCU --key "$key" --value cut)"
drv reg-delete --root HKCU --key 'Software\OBPTest' --tree >/dev/null
status=0
drv reg-query --root HKCU --key "$key" --value bare >/dev/null 2>&1 || status=$?
ob_expect_eq "a deleted key reads as not found" 3 "$status"

ob_expect "the first stand-in closes" drv close --title "Stand-in Ü 日本"
ob_expect "and its process ends" ob_wait_exit "$first" 15000
