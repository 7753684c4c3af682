#!/usr/bin/env bash
# Runs one Windows test program under Wine in the shared session (or a private one) and passes on
# its exit code: wine-run.sh <program.exe> [arguments...]
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

if (($# < 1)); then
    echo "usage: $0 <program.exe> [arguments...]" >&2
    exit 2
fi
program=$(realpath "$1")
shift
OB_DRIVER=$program  # a private session, if one is needed, is made beside the program
trap 'if [[ -n ${OB_OWN_SESSION:-} ]]; then ob_session_destroy "$OB_OWN_SESSION"; rm -rf "$OB_OWN_SESSION"; fi' EXIT
ob_session_attach
if [[ -n ${OB_SESSION_DRIVER:-} ]]; then ob_keep_desktop "$OB_SESSION_DIR" "$OB_SESSION_DRIVER"; fi

status=0
timeout -k 5 600 wine "$program" "$@" </dev/null || status=$?
exit "$status"
