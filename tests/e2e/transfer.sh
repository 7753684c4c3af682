#!/usr/bin/env bash
# The configuration travels through Wine's own reg.exe: "Export..." writes obelon7.reg into a folder with a blank
# in its name, chosen in the shell's picker; after the task list was changed and applied, "Import..." of that file
# brings the exported list back into the window. A file dropped into "save" beside the program is imported at the
# next minute's look, announced, and deleted once the message is acknowledged; a file that also writes
# HKEY_CURRENT_USER\Software\Evil is refused, kept as obelon7.reg.failed, and the key never appears. An export
# that reg.exe cannot do is reported with reg.exe's own reason.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly config="Obelon Pro Configuration Tool"
readonly box_title="Obelon Pro"
readonly tasks='Software\OBP\Tasks'
readonly drive_c="$WINEPREFIX/drive_c"
readonly configs_unix="$drive_c/obtransfer/My Configs"
readonly save_unix="$(dirname "$OB_PROGRAM")/save"

reset() {
    drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null || true
    drv reg-delete --root HKCU --key 'Software\Evil' --tree >/dev/null 2>&1 || true
    rm -rf "$drive_c/obtransfer" "$save_unix"
}
reset
mkdir -p "$configs_unix"
drv reg-set-raw --root HKLM --key "$tasks" --value Task0 --text "Alpha Task,1" >/dev/null
drv reg-set-raw --root HKLM --key "$tasks" --value Task1 --text "Beta Task,1" >/dev/null

# A registry file as reg.exe writes them: UTF-16LE with its mark, CR LF line ends.
write_reg() {
    local file=$1
    shift
    { printf '\xff\xfe'; printf '%s\r\n' "Windows Registry Editor Version 5.00" "" "$@" | iconv -f UTF-8 -t UTF-16LE; } >"$file"
}

click() { drv click --title "$config" --visible --caption "$1" --post >/dev/null || ob_fail "no '$1' to click"; }
tasks_locked() { drv child-text --title "$config" --visible --contains "Tasks Locked:"; }
task_slot() { drv reg-query --root HKLM --key "$tasks" --value "$1"; }
box_says() { drv child-text --title "$box_title" --visible --contains "$1" >/dev/null 2>&1; }

ob_start_program
ob_unlock_configuration
ob_select_page 0
ob_expect "the stored list shows two locked tasks" ob_poll 15000 ob_output_is "Tasks Locked: 2" tasks_locked

# --- export into a folder with a blank ---

ob_select_page 3
click "Export..."
ob_pick_in_folder_picker "Desktop|Computer|C:|obtransfer|My Configs"
ob_expect "reg.exe writes obelon7.reg there" ob_poll 10000 test -s "$configs_unix/obelon7.reg"
keys=$(iconv -f UTF-16 -t UTF-8 "$configs_unix/obelon7.reg" | tr -d '\r' | grep '^\[')
ob_expect "the file holds the configuration key alone" \
    test -z "$(grep -iv '^\[HKEY_LOCAL_MACHINE\\SOFTWARE\\OBP[]\\]' <<<"$keys")"
ob_expect "with the task list" grep -qi 'OBP\\Tasks\]' <<<"$keys"

# --- change the list, import the file, the exported list is back ---

ob_select_page 0
click "Remove"
click "Apply"
ob_expect "the shorter list is stored" ob_poll 10000 ob_output_is "REG_SZ Beta Task,1" task_slot Task0
ob_expect "and shown" ob_poll 15000 ob_output_is "Tasks Locked: 1" tasks_locked

ob_select_page 3
click "Import..."
ob_pick_in_folder_picker "Desktop|Computer|C:|obtransfer|My Configs|obelon7.reg"
ob_expect "the imported list is stored" ob_poll 10000 ob_output_is "REG_SZ Alpha Task,1" task_slot Task0
ob_select_page 0
ob_expect "the window shows the exported list again" ob_poll 15000 ob_output_is "Tasks Locked: 2" tasks_locked
ob_expect "the configuration before the import was saved" \
    bash -c "ls '$save_unix/backup/'obelon7-*.reg >/dev/null"
ob_expect_eq "the saved configuration is the one-task list" "1" \
    "$(iconv -f UTF-16 -t UTF-8 "$save_unix"/backup/obelon7-*.reg | grep -c 'Task,1')"
ob_expect_eq "the copy reg.exe imported from is gone, the backups alone stay" "" \
    "$(ls -A "$save_unix/backup" | grep -v '^obelon7-[0-9-]*\.reg$')"

# --- the automatic update ---

write_reg "$save_unix/obelon7.reg" '[HKEY_LOCAL_MACHINE\Software\OBP\Tasks]' '"Task2"="Gamma Task,1"'
ob_expect "the dropped file is announced within a minute" \
    ob_poll 90000 box_says "Auto-update of configuration completed on "
ob_expect "the file waits for the acknowledgement" test -f "$save_unix/obelon7.reg"
announced=$(drv child-text --title "$box_title" --visible --contains "Auto-update")
[[ $announced =~ ^Auto-update\ of\ configuration\ completed\ on\ [1-9][0-9]?-$(date +%B)\ [12]?[0-9]:[0-5][0-9]$ ]] ||
    ob_fail "the announcement does not name the day, month and time as d-mmmm h:mm: '$announced'"
ob_log "ok: the announcement names the day, the month and the time: $announced"
drv click --title "$box_title" --visible --caption "OK" --post >/dev/null || ob_fail "no OK in the message"
ob_expect "the file is deleted after OK" ob_poll 15000 test ! -e "$save_unix/obelon7.reg"
ob_expect "the window shows the updated list" ob_poll 15000 ob_output_is "Tasks Locked: 3" tasks_locked

write_reg "$save_unix/obelon7.reg" '[HKEY_LOCAL_MACHINE\Software\OBP\Tasks]' '"Task3"="Delta Task,1"' '' \
    '[HKEY_CURRENT_USER\Software\Evil]' '"planted"="yes"'
ob_expect "a file that reaches beyond the configuration is refused" ob_poll 90000 box_says "was not imported"
ob_expect "the message names the foreign key" box_says 'HKEY_CURRENT_USER\Software\Evil'
drv click --title "$box_title" --visible --caption "OK" --post >/dev/null || ob_fail "no OK in the message"
ob_expect "the refused file is kept aside" test -f "$save_unix/obelon7.reg.failed"
ob_expect "and not left to be tried again" test ! -e "$save_unix/obelon7.reg"
if wine reg query 'HKCU\Software\Evil' >/dev/null 2>&1; then ob_fail "HKEY_CURRENT_USER\\Software\\Evil exists"; fi
ob_log "ok: HKEY_CURRENT_USER\\Software\\Evil does not exist"
if task_slot Task3 >/dev/null 2>&1; then ob_fail "part of the refused file was imported"; fi
ob_log "ok: nothing of the refused file was imported"

# --- a failed export says why, in reg.exe's words ---

drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
ob_select_page 3
click "Export..."
ob_pick_in_folder_picker "Desktop|Computer|C:|obtransfer|My Configs"
ob_expect "an export without a configuration key is reported as failed" \
    ob_poll 10000 box_says "The configuration could not be exported: "
ob_expect "with reg.exe's reason" box_says "registry key"
drv click --title "$box_title" --visible --caption "OK" --post >/dev/null || ob_fail "no OK in the message"

ob_alive "$program" || ob_fail "the program ended"
ob_stop "$program"
reset
