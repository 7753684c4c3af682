#!/usr/bin/env bash
# A program killed in the middle of encrypting a large file through the real window loses nothing: the plain
# file stays byte for byte as it was and no ".ob7" file appears. Killed in the middle of decrypting it, the
# ".ob7" stays as it was and no plain file appears. Either way the system removes the unfinished output: no
# temporary file, and so no plain text, is left beside it.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly config="Obelon Pro Configuration Tool"
readonly work_unix="$WINEPREFIX/drive_c/obkilled"
readonly original="$OB_ARTIFACTS/$OB_TEST-original.bin"

drv reg-delete --root HKLM --key 'Software\OBP' --tree >/dev/null
rm -rf "$work_unix" "$original"
mkdir -p "$work_unix"
# Large enough that the encryption and its read-back take seconds under Wine.
head -c $((400 * 1024 * 1024)) /dev/urandom >"$original"
cp "$original" "$work_unix/big.bin"

children() { drv list-children --title "$config" --visible; }
id_beside() {
    children | grep -F -B1 -A1 "text=\"$1\"" | sed -n "$2p" | sed -E 's/.* id=([0-9-]+) .*/\1/'
}
# The unfinished output: a temporary file beside the source that has begun to fill.
output_growing() {
    local name
    for name in "$work_unix"/*.tmp "$work_unix"/*.TMP; do
        [[ -f $name && $(stat -c %s "$name") -gt $((8 * 1024 * 1024)) ]] && return 0
    done
    return 1
}
no_temporary_file() { ! compgen -G "$work_unix/*.[tT][mM][pP]" >/dev/null; }
files_are() { [[ $(cd "$work_unix" && ls | tr '\n' ' ') == "$1" ]]; }

# start_run BUTTON: a fresh program, unlocked, asked to encrypt or decrypt the one file.
start_run() {
    ob_start_program
    ob_unlock_configuration
    ob_select_page 1
    local txtenpath txtenpwd path='C:\obkilled\big.bin'
    txtenpath=$(id_beside "Browse..." 1)
    txtenpwd=$(id_beside "Password:" 3)
    [[ -n $txtenpath && -n $txtenpwd ]] || ob_fail "the path and password boxes are not on the page"
    [[ $1 == Decrypt ]] && path+=.ob7
    drv set-text --title "$config" --visible --id "$txtenpath" --text "$path" >/dev/null
    drv set-text --title "$config" --visible --id "$txtenpwd" --text "correct horse" >/dev/null
    drv click --title "$config" --visible --caption "$1" --post >/dev/null || ob_fail "no '$1' button"
}
kill_program() {
    kill -KILL "$program"
    ob_expect "the program ended" ob_wait_exit "$program" 15000
    ob_expect "the system removed the unfinished output" ob_poll 15000 no_temporary_file
}

start_run "Encrypt 256 AES"
ob_expect "the encryption is under way" ob_poll 60000 output_growing
kill_program
ob_expect "the plain file is still there" test -f "$work_unix/big.bin"
ob_expect "no encrypted file appeared" test ! -e "$work_unix/big.bin.ob7"
ob_expect "the plain file is byte for byte as it was" cmp "$original" "$work_unix/big.bin"

start_run "Encrypt 256 AES"
ob_expect "the file is encrypted and the plain one goes" ob_poll 120000 files_are "big.bin.ob7 "
sealed_sum=$(sha256sum <"$work_unix/big.bin.ob7")
ob_stop "$program"
ob_wait_exit "$program" 15000 || true

start_run Decrypt
ob_expect "the decryption is under way" ob_poll 60000 output_growing
kill_program
ob_expect "no plain file appeared and the encrypted one stays" files_are "big.bin.ob7 "
ob_expect_eq "the encrypted file is byte for byte as it was" "$sealed_sum" "$(sha256sum <"$work_unix/big.bin.ob7")"
rm -rf "$work_unix" "$original"
