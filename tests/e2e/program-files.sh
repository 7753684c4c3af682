#!/usr/bin/env bash
# What Windows reads from the program files before they run: obelon7.exe's version record, its manifest
# (common controls 6, per-monitor DPI awareness, no elevation) and its two padlock icons; obext.exe
# carries the same padlock.
source "$(dirname "$0")/lib.sh"
ob_begin "$@"

program=$(ob_winpath "$OB_PROGRAM")
obext=$(ob_winpath "$(dirname "$OB_PROGRAM")/obext.exe")

ob_expect_eq "the fixed file version" "7.8.0.0" "$(drv version-info --file "$program")"
ob_expect_eq "the product name" "Obelon Pro" "$(drv version-info --file "$program" --string ProductName)"
manifest=$(drv manifest --file "$program") || ob_fail "obelon7.exe has no manifest of id 1"
for wanted in 'level="asInvoker"' 'uiAccess="false"' 'name="Microsoft.Windows.Common-Controls"' \
    'version="6.0.0.0"' 'PerMonitorV2'; do
    [[ $manifest == *"$wanted"* ]] || ob_fail "the manifest lacks $wanted"
done
ob_log "ok: the manifest runs as the user, with common controls 6 and per-monitor DPI"
ob_expect_eq "the program's icons: closed and open padlock" $'1\n2' "$(drv icons --file "$program" | tr -d '\r')"
ob_expect_eq "obext's icon" "1" "$(drv icons --file "$obext" | tr -d '\r')"
