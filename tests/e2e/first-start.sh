#!/usr/bin/env bash
# First start on a machine: the configuration window takes its title and hides, the program writes
# its own Run-key entry and removes Close from the window's system menu; on a later start an entry
# that was edited by hand is left as it is.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly title="Obelon Pro Configuration Tool"
readonly run_key='Software\Microsoft\Windows\CurrentVersion\Run'
readonly edited_entry='C:\elsewhere\x.exe'
program_windows_path=$(ob_winpath "$OB_PROGRAM")
readonly expected_entry="${program_windows_path%\\*}\\obelon7.exe"

run_entry() { drv reg-query --root HKLM --key "$run_key" --value "Obelon Pro"; }

# A machine the program has never run on.
drv reg-delete --root HKLM --key "$run_key" --value "Obelon Pro" >/dev/null
drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null

started=$(ob_now_ms)
ob_start first "$OB_PROGRAM"
first=$OB_PID
ob_expect "a window titled '$title' appears" drv wait-window --title "$title" --timeout 15000
ob_log "title after $(($(ob_now_ms) - started)) ms"
# The window is hidden also before start-up shows it; it is hidden for good behind the start-up password prompt.
ob_expect "'Restrictions' guards the configuration" drv wait-window --title "Restrictions" --visible --timeout 15000
ob_expect "the configuration window is hidden while the configuration is locked" \
    drv wait-window --title "$title" --hidden --timeout 15000
ob_expect "the Run-key entry is written" ob_poll 15000 run_entry
ob_expect_eq "the Run-key entry names the program beside its folder, quoted" "REG_SZ \"$expected_entry\"" "$(run_entry)"
ob_expect "the system menu of the configuration window has no Close" \
    ob_poll 15000 ob_output_is no drv has-sysmenu-close --title "$title"
ob_alive "$first" || ob_fail "the first start ended by itself"
ob_stop "$first"
ob_expect "the window goes with its process" drv wait-gone --title "$title" --timeout 15000

# An entry changed by hand survives the next start.
drv reg-set-raw --root HKLM --key "$run_key" --value "Obelon Pro" --text "$edited_entry" >/dev/null
ob_start second "$OB_PROGRAM"
ob_expect "the program starts again" drv wait-window --title "$title" --timeout 15000
# Close leaves the system menu after the Run-key step, so the entry has been looked at by then.
ob_expect "start-up gets past the Run-key step" \
    ob_poll 15000 ob_output_is no drv has-sysmenu-close --title "$title"
ob_expect_eq "the edited Run-key entry is left alone" "REG_SZ $edited_entry" "$(run_entry)"
