#!/usr/bin/env bash
# obext.exe beside the main program: "Remove" on an account without restrictions creates the keys and
# leaves every value at 0, "Enable" writes each value, the window stays open after each press and the
# program ends when it is closed. Its version record and its manifest are those Windows reads.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

readonly title="Obelon Pro Policy Extension (Beta)"
obext=$(dirname "$OB_PROGRAM")/obext.exe
[[ -f $obext ]] || ob_fail "obext.exe is not built beside the main program: $obext"
obext_windows_path=$(ob_winpath "$obext")

readonly policies='Software\Microsoft\Windows\CurrentVersion\Policies'
readonly explorer="$policies\\Explorer"
# key|value|what Enable writes, in the order the program writes them
readonly rows=(
    "$explorer|NoSaveSettings|1" "$explorer|NoStartMenuMFUprogramsList|1" "$explorer|DisableMyPicturesDirChange|1"
    "$explorer|DisableMyMusicDirChange|1" "$explorer|DisableFavoritesDirChange|1"
    "$explorer|DisablePersonalDirChange|1" "$explorer|NoNetworkConnections|1" "$explorer|NoStartMenuNetworkPlaces|1"
    "$explorer|NoRecentDocsNetHood|1" "$explorer|NoRun|1" "$explorer|NoClose|1" "$explorer|NoChangeStartMenu|1"
    "$explorer|NoSetTaskbar|1" "$explorer|NoInstrumentation|1" "$explorer|NoControlPanel|1"
    "$explorer|NoStartMenuMyGames|1" "$explorer|NoSearchFilesInStartMenu|1" "$explorer|NoSearchCommInStartMenu|1"
    "$explorer|NoSearchProgramsInStartMenu|1" "$explorer|NoSearchInternetInStartMenu|1"
    "$explorer|NoSearchComputerLinkInStartMenu|1" "$explorer|QuickLaunchEnabled|1" "$explorer|NoSMConfigurePrograms|1"
    "$explorer|LockTaskbar|1" "$explorer|NoAutoTrayNotify|1" "$explorer|NoSMBalloonTip|1"
    "$explorer|NoToolbarsOnTaskbar|1" "$explorer|NoWebServices|1" "$explorer|NoManageMyComputerVerb|1"
    "$explorer|NoNetConnectDisconnect|1" "$explorer|NoTrayContextMenu|1" "$explorer|NoViewContextMenu|1"
    "$explorer|NoFolderOptions|1" "$explorer|NoDrives|1"
    "$policies\\System|DisableTaskMgr|1" 'Software\Microsoft\Windows\System|DisableCMD|2'
    "$policies\\System|DisableRegistryTools|1" "$policies\\System|NoDispCPL|1"
    "$policies\\NONEnum|{20D04FE0-3AEA-1069-A2D8-08002B30309D}|1"
    "$policies\\Network|NoNetSetup|1" "$policies\\Network|NoPrinters|1"
)

readonly keys=("$explorer" "$policies\\System" 'Software\Microsoft\Windows\System' "$policies\\NONEnum"
    "$policies\\Network")

key_exists() {
    local answer
    answer=$(drv reg-query --root HKCU --key "$1" --value "" 2>&1) || true
    [[ $answer != *"key not found"* ]]
}

# The policies hold for the whole prefix, so the scenario leaves it as it found it: keys it made go
# again, keys that were there lose only the values the program writes.
keys_made=()
keys_found=()
note_keys() {
    local key
    for key in "${keys[@]}"; do
        if key_exists "$key"; then keys_found+=("$key"); else keys_made+=("$key"); fi
    done
}

delete_written() {
    local key row row_key value
    for key in "${keys_made[@]}"; do drv reg-delete --root HKCU --key "$key" --tree >/dev/null || true; done
    for key in "${keys_found[@]}"; do
        for row in "${rows[@]}"; do
            IFS='|' read -r row_key value _ <<<"$row"
            [[ $row_key == "$key" ]] || continue
            drv reg-delete --root HKCU --key "$key" --value "$value" >/dev/null || true
        done
    done
}

# Every row holds REG_DWORD with its Enable number ("enabled") or 0 ("removed").
expect_rows() {
    local state=$1 row key value enabled expected actual wrong=0
    for row in "${rows[@]}"; do
        IFS='|' read -r key value enabled <<<"$row"
        expected="REG_DWORD $([[ $state == enabled ]] && echo "$enabled" || echo 0)"
        # A second look before a value counts as wrong: one driver start in a loaded prefix may print nothing.
        ob_poll 1000 ob_output_is "$expected" drv reg-query --root HKCU --key "$key" --value "$value" && continue
        actual=$(drv reg-query --root HKCU --key "$key" --value "$value" 2>&1) || true
        if [[ $actual != "$expected" ]]; then
            echo "  $key\\$value: expected '$expected', got '$actual'" >&2
            wrong=$((wrong + 1))
        fi
    done
    ((wrong == 0)) || ob_fail "$wrong of ${#rows[@]} values are not $state"
    ob_log "ok: all ${#rows[@]} values are $state"
}

trap 'status=$?; delete_written; (exit $status); ob_cleanup' EXIT

ob_expect_eq "the fixed file version" "1.0.0.0" "$(drv version-info --file "$obext_windows_path")"
ob_expect_eq "the product name" "OBExt" "$(drv version-info --file "$obext_windows_path" --string ProductName)"
manifest=$(drv manifest --file "$obext_windows_path") || ob_fail "obext.exe has no manifest of id 1"
for wanted in 'level="requireAdministrator"' 'uiAccess="false"' 'name="Microsoft.Windows.Common-Controls"' \
    'version="6.0.0.0"'; do
    [[ $manifest == *"$wanted"* ]] || ob_fail "the manifest lacks $wanted"
done
ob_log "ok: the manifest asks for elevation and common controls 6.0.0.0"

# An account that never had restrictions.
note_keys
delete_written
if ((${#keys_found[@]} > 0)); then ob_log "policy keys already in the prefix, kept: ${keys_found[*]}"; fi

ob_start obext "$obext"
obext_pid=$OB_PID
# Wine runs every program as an administrator, so the manifest's elevation does not stop the start.
ob_expect "the window '$title' opens" drv wait-window --title "$title" --visible --timeout 15000
label=$(drv child-text --title "$title" --contains "This extension to Obelon Pro") ||
    ob_fail "the explanation is missing"
[[ $label == *"Save Settings on Exit and more." ]] || ob_fail "the explanation reads '$label'"

ob_expect "'Remove User Shell Restrictions' is clicked" \
    drv click --title "$title" --caption "Remove User Shell Restrictions"
expect_rows removed
ob_expect "the window stays open after Remove" drv window-exists --title "$title" --visible

ob_expect "'Enable User Shell Restrictions' is clicked" \
    drv click --title "$title" --caption "Enable User Shell Restrictions"
expect_rows enabled
ob_expect "the window stays open after Enable" drv window-exists --title "$title" --visible

ob_expect "'Remove User Shell Restrictions' is clicked again" \
    drv click --title "$title" --caption "Remove User Shell Restrictions"
expect_rows removed

ob_expect "the window is closed" drv close --title "$title"
ob_wait_exit "$obext_pid" 15000 || ob_fail "obext.exe is still running 15 s after its window was closed"
ob_expect "the window is gone" drv wait-gone --title "$title" --timeout 15000
