#!/usr/bin/env bash
# The product as an administrator installs it: a silent ObelonProSetup.exe puts the programs, the
# desktop-toggle file and the Group Policy template into "Program Files\Obelon Pro", adds the
# Start-menu shortcuts and the uninstall entry, and starts the program, which writes its Run-key entry.
# The silent uninstaller ends that running program by its window, removes what was installed with
# the Run-key entry, and keeps the configuration.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly config_title="Obelon Pro Configuration Tool"
readonly run_key='Software\Microsoft\Windows\CurrentVersion\Run'
readonly uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\ObelonPro'
setup=$(dirname "$OB_PROGRAM")/ObelonProSetup.exe
[[ -f $setup ]] || ob_fail "ObelonProSetup.exe is not built beside the main program: $setup"
readonly folder="$WINEPREFIX/drive_c/Program Files/Obelon Pro"
readonly menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Obelon Pro"
readonly installed=(obelon7.exe obext.exe dexlin.scf uninstall.exe policy/ObelonPro.admx
    policy/en-US/ObelonPro.adml)
readonly shortcuts=("Obelon Pro.lnk" "Obelon Pro Policy Extension.lnk" "Uninstall Obelon Pro.lnk")

uninstall_value() { drv reg-query --root HKLM --key "$uninstall_key" --value "$1"; }
run_entry() { drv reg-query --root HKLM --key "$run_key" --value "Obelon Pro"; }

# A machine without the product; a task stands for the administrator's configuration.
drv reg-delete --root HKLM --key "$run_key" --value "Obelon Pro" >/dev/null
drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
drv reg-set-raw --root HKLM --key 'Software\OBP\Tasks' --value Task0 --text "Notepad,1" >/dev/null
rm -rf "$folder" "$menu"

ob_start setup "$setup" /S
ob_wait_exit "$OB_PID" 60000 || ob_fail "the silent setup is still running after 60 s"
for file in "${installed[@]}"; do [[ -f $folder/$file ]] || ob_fail "not installed: $file"; done
cmp -s "$folder/obelon7.exe" "$OB_PROGRAM" || ob_fail "the installed obelon7.exe is not the one built"
for link in "${shortcuts[@]}"; do [[ -f $menu/$link ]] || ob_fail "no Start-menu shortcut '$link'"; done
ob_log "ok: the files and shortcuts are in place"

ob_expect_eq "the uninstall entry names the product" "REG_SZ Obelon Pro" "$(uninstall_value DisplayName)"
ob_expect_eq "the uninstall entry has the version" "REG_SZ 7.8.0" "$(uninstall_value DisplayVersion)"
ob_expect_eq "the uninstall entry runs the uninstaller" \
    "REG_SZ \"C:\\Program Files\\Obelon Pro\\uninstall.exe\"" "$(uninstall_value UninstallString)"
size=$(uninstall_value EstimatedSize)
[[ $size =~ ^REG_DWORD\ [1-9][0-9]*$ ]] || ob_fail "the uninstall entry has no size: '$size'"

ob_expect "the installed program is running" drv wait-window --title "$config_title" --timeout 10000
ob_expect "it writes its Run-key entry" ob_poll 15000 run_entry
ob_expect_eq "the entry names the installed program, quoted" 'REG_SZ "C:\Program Files\Obelon Pro\obelon7.exe"' \
    "$(run_entry)"
ob_unlock_configuration

# Whoever opens the uninstaller meets the password first.
ob_start uninstall-window "$folder/uninstall.exe"
ob_expect "the uninstaller's window opens" drv wait-window --title-contains "Obelon Pro 2011 Uninstall" --timeout 10000
ob_expect "'Restrictions' asks for the password" drv wait-window --title "Restrictions" --visible --timeout 15000
ob_expect "it names the uninstaller" \
    ob_poll 15000 drv child-text --title "Restrictions" --class Static --contains "Uninstall Obelon Pro"
drv set-text --title "Restrictions" --visible --class Edit --text "bluejay" >/dev/null || ob_fail "no password box"
drv click --title "Restrictions" --visible --caption "&OK" >/dev/null || ob_fail "no OK button"
ob_expect "the right password lets the uninstaller be used" drv wait-gone --title "Restrictions" --visible --timeout 15000
ob_expect "the uninstaller is closed unused" drv close --title-contains "Obelon Pro 2011 Uninstall"
ob_expect "its window goes" drv wait-gone --title-contains "Obelon Pro 2011 Uninstall" --timeout 15000
[[ -f $folder/obelon7.exe ]] || ob_fail "closing the uninstaller removed the program"

# The uninstaller copies itself away and runs from there; it is done when its files are gone.
ob_start uninstall "$folder/uninstall.exe" /S
ob_wait_exit "$OB_PID" 30000 || ob_fail "the uninstaller is still running after 30 s"
ob_expect "the running program is ended" drv wait-gone --title "$config_title" --timeout 15000
gone() { [[ ! -e $folder/obelon7.exe && ! -e $folder/uninstall.exe && ! -e $menu ]]; }
ob_expect "the files and shortcuts go" ob_poll 20000 gone
[[ ! -e $folder ]] || ob_fail "the empty program folder is left: $(ls -A "$folder")"
ob_expect "the Run-key entry goes" ob_poll 15000 ob_output_is "" run_entry
uninstall_value DisplayName >/dev/null 2>&1 && ob_fail "the uninstall entry is left"
ob_expect_eq "the configuration is kept" "REG_SZ Notepad,1" \
    "$(drv reg-query --root HKLM --key 'Software\OBP\Tasks' --value Task0)"
drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
