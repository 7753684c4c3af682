#!/usr/bin/env bash
# The Files/Folders page through the real window: a folder of three files (one of 50 MiB) is encrypted into
# ".ob7" files and the plain ones go; a wrong password decrypts nothing and the error label says why; the right
# one brings every file back byte for byte. Then a folder chosen in the shell's own picker is locked by its
# name and unlocked again.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly config="Obelon Pro Configuration Tool"
readonly drive_c="$WINEPREFIX/drive_c"
readonly box_unix="$drive_c/obfolders/box"
readonly box='C:\obfolders\box'
readonly lock_unix="$drive_c/obfolders/private"
readonly lock_suffix='.{09799AFB-AD67-11d1-ABCD-00C04FC30936}'
readonly originals="$OB_ARTIFACTS/$OB_TEST-originals"
readonly password="correct horse"

drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
rm -rf "$drive_c/obfolders" "$originals"
mkdir -p "$box_unix" "$lock_unix" "$originals"
printf 'first line\r\nsecond line\r\n' >"$originals/notes.txt"
head -c 70001 /dev/urandom >"$originals/small.bin"
head -c $((50 * 1024 * 1024)) /dev/urandom >"$originals/big.bin"
cp "$originals"/* "$box_unix/"
echo "kept" >"$lock_unix/inside.txt"

# --- the page's controls, as another program finds them ---

children() { drv list-children --title "$config" --visible; }
# The id of the control listed just before (-1) or after (+1) the one whose text is $1.
id_beside() {
    children | grep -F -B1 -A1 "text=\"$1\"" | sed -n "$2p" | sed -E 's/.* id=([0-9-]+) .*/\1/'
}
# The error label is the control made right after the progress bar.
lblerr_line() { children | grep -A1 'class="msctls_progress32"' | tail -n 1; }
abort_hidden() { children | grep -F 'text="Abort"' | grep -q 'visible=0'; }
files_are() { [[ $(cd "$box_unix" && ls | tr '\n' ' ') == "$1" ]]; }
run_over_with() { abort_hidden && files_are "$1"; }
lblerr_says() { lblerr_line | grep -q 'visible=1' && lblerr_line | grep -qF "$1"; }
lblerr_hidden() { lblerr_line | grep -q 'visible=0'; }
lblerr_empty() { lblerr_line | grep -qF 'text=""'; }
has_button() { children | grep -qF "text=\"$1\""; }

ob_start program "$OB_PROGRAM"
program=$OB_PID
ob_unlock_configuration
ob_select_page 1

txtenpath=$(id_beside "Browse..." 1)
txtenpwd=$(id_beside "Password:" 3)
[[ -n $txtenpath && -n $txtenpwd ]] || ob_fail "the path and password boxes are not on the page"
set_path() { drv set-text --title "$config" --visible --id "$txtenpath" --text "$1" >/dev/null; }
set_password() { drv set-text --title "$config" --visible --id "$txtenpwd" --text "$1" >/dev/null; }
click() { drv click --title "$config" --visible --caption "$1" --post >/dev/null || ob_fail "no '$1' to click"; }

# --- encryption of a folder's files ---

ob_expect "the folder's path is typed" set_path "$box"
ob_expect "the password is typed" set_password "$password"
click "Include all files"
began=$(ob_now_ms)
click "Encrypt 256 AES"
ob_expect "every file becomes an .ob7 file and the plain ones go" \
    ob_poll 120000 run_over_with "big.bin.ob7 notes.txt.ob7 small.bin.ob7 "
ob_log "encrypted 50 MiB and two small files in $(($(ob_now_ms) - began)) ms"
ob_expect "no error is shown" lblerr_hidden
encrypted_sums=$(cd "$box_unix" && sha256sum ./*)

# --- a wrong password changes nothing ---

# "Include all files" stays ticked after a run that went through.
ob_expect "a wrong password is typed" set_password "battery staple"
click "Decrypt"
ob_expect "the error label names the wrong password" ob_poll 60000 lblerr_says "Wrong password"
ob_expect "the run is over" ob_poll 15000 abort_hidden
ob_expect_eq "the encrypted files are as they were" "$encrypted_sums" "$(cd "$box_unix" && sha256sum ./*)"
ob_expect "no plain file appeared" files_are "big.bin.ob7 notes.txt.ob7 small.bin.ob7 "

# --- the right password brings the files back ---

ob_expect "the right password is typed" set_password "$password"
began=$(ob_now_ms)
click "Decrypt"
ob_expect "the plain files are back and the .ob7 files go" \
    ob_poll 120000 run_over_with "big.bin notes.txt small.bin "
ob_log "decrypted in $(($(ob_now_ms) - began)) ms"
for name in notes.txt small.bin big.bin; do
    ob_expect "$name is back byte for byte" cmp "$originals/$name" "$box_unix/$name"
done
ob_expect "the earlier error is not shown again" lblerr_empty

# --- lock and unlock a folder chosen in the shell's picker ---

pick() {
    click "Browse..."
    ob_pick_in_folder_picker "$1"
}

pick "Desktop|Computer|C:|obfolders|private"
ob_expect "the chosen folder shows in the path box" \
    ob_poll 15000 ob_output_is 'C:\obfolders\private' drv child-text --title "$config" --visible --id "$txtenpath"
click "Lock Access to Folder"
ob_expect "the buttons become 'Lock Folder' and 'Unlock'" ob_poll 15000 eval 'has_button "Lock Folder" && has_button Unlock'
click "Lock Folder"
ob_expect "the folder gets the lock suffix" ob_poll 15000 test -d "$lock_unix$lock_suffix"
ob_expect "its file is inside it still" test -f "$lock_unix$lock_suffix/inside.txt"
ob_expect "the plain name is gone" test ! -e "$lock_unix"

pick "Desktop|Computer|C:|obfolders|private"
ob_expect "the locked folder shows under its plain name" \
    ob_poll 15000 ob_output_is 'C:\obfolders\private' drv child-text --title "$config" --visible --id "$txtenpath"
click "Unlock"
ob_expect "the folder has its plain name back" ob_poll 15000 test -d "$lock_unix"
ob_expect "with its file" test -f "$lock_unix/inside.txt"
ob_expect "the locked name is gone" test ! -e "$lock_unix$lock_suffix"
ob_expect "the path box is emptied" \
    ob_poll 15000 ob_output_is '' drv child-text --title "$config" --visible --id "$txtenpath"

ob_alive "$program" || ob_fail "the program ended"
rm -rf "$drive_c/obfolders" "$originals"
